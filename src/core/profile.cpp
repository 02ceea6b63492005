#include "profile.h"

namespace tavelorn {

// The key "LansdscapePosition" is spelled so in every Config.ini there is.
const std::array<ProfileField, 16> kProfileFields{{
    {QStringLiteral("ID"), &Profile::id},
    {QStringLiteral("BorderWidth"), &Profile::borderWidth},
    {QStringLiteral("SystemTitle"), &Profile::systemTitle},
    {QStringLiteral("LansdscapePosition"), &Profile::landscapePosition},
    {QStringLiteral("SID"), &Profile::sid},
    {QStringLiteral("Usage1"), &Profile::usage1},
    {QStringLiteral("Usage2"), &Profile::usage2},
    {QStringLiteral("PictureFullPath"), &Profile::picturePath},
    {QStringLiteral("PictureCenter"), &Profile::pictureCenter},
    {QStringLiteral("PictureStretch"), &Profile::pictureStretch},
    {QStringLiteral("Info1"), &Profile::info1},
    {QStringLiteral("Info2"), &Profile::info2},
    {QStringLiteral("Info3"), &Profile::info3},
    {QStringLiteral("LastRefresh"), &Profile::lastRefresh},
    {QStringLiteral("SourceRefresh"), &Profile::refreshSource},
    {QStringLiteral("CommentRefresh"), &Profile::refreshComment},
}};

} // namespace tavelorn
