#include "configstore.h"

#include "inifile.h"

// Apart from configstore.cpp so that a caller needing raw values of the same reading
// (tavelorn-export's check of unreadable dates) gets them without reading the file twice.
void TConfigStore::LoadAllFrom(const TIniFile& ini)
{
    loadSystemTitles(ini);
    loadLandscapeTypes(ini);
    loadSIDs(ini);
    loadSystemInfos(ini);
    loadRefreshComments(ini);
}
