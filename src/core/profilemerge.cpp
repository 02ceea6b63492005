#include "profilemerge.h"

#include <span>

namespace tavelorn {

namespace {

// The fields an edit may change: all but the identifier, which comes first.
template <class F> void forEachEditableField(F&& f)
{
    for (const ProfileField& field : std::span(kProfileFields).subspan(1))
        std::visit(f, field.member);
}

} // namespace

bool profileEdited(const Profile& base, const Profile& edited)
{
    bool differs = false;
    forEachEditableField([&](auto member) { differs = differs || base.*member != edited.*member; });
    return differs;
}

Profile mergeProfileEdit(const Profile& base, const Profile& edited, const Profile& current)
{
    Profile merged = current;
    forEachEditableField([&](auto member) {
        if (base.*member != edited.*member)
            merged.*member = edited.*member;
    });
    if (merged.lastRefresh == 0) {
        merged.refreshSource.clear();
        merged.refreshComment.clear();
    }
    return merged;
}

} // namespace tavelorn
