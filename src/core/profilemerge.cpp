#include "profilemerge.h"

#include <tuple>

namespace tavelorn {

namespace {

// The fields an edit may change, in file order; the identifier is not one of them.
constexpr auto kEditableFields = std::make_tuple(
    &Profile::borderWidth, &Profile::systemTitle, &Profile::landscapePosition, &Profile::sid,
    &Profile::usage1, &Profile::usage2, &Profile::picturePath, &Profile::pictureCenter,
    &Profile::pictureStretch, &Profile::info1, &Profile::info2, &Profile::info3,
    &Profile::lastRefresh, &Profile::refreshSource, &Profile::refreshComment);

template <class F> void forEachField(F&& f)
{
    std::apply([&](auto... field) { (f(field), ...); }, kEditableFields);
}

} // namespace

bool profileEdited(const Profile& base, const Profile& edited)
{
    bool differs = false;
    forEachField([&](auto field) { differs = differs || base.*field != edited.*field; });
    return differs;
}

Profile mergeProfileEdit(const Profile& base, const Profile& edited, const Profile& current)
{
    Profile merged = current;
    forEachField([&](auto field) {
        if (base.*field != edited.*field)
            merged.*field = edited.*field;
    });
    if (merged.lastRefresh == 0) {
        merged.refreshSource.clear();
        merged.refreshComment.clear();
    }
    return merged;
}

} // namespace tavelorn
