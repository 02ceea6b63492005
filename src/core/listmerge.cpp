#include "listmerge.h"

#include <QHash>

#include <algorithm>

#include <vector>

namespace tavelorn {

QStringList mergeListEdit(const QStringList& before, const QStringList& after,
                          const QStringList& current)
{
    if (current == before)
        return after;
    if (after == before)
        return current;

    // balance[x] > 0: the edit added x that many times; < 0: removed it.
    QHash<QString, qsizetype> balance;
    balance.reserve(before.size() + after.size());
    for (const QString& s : after)
        ++balance[s];
    for (const QString& s : before)
        --balance[s];
    // An addition that others made too is there already: not twice.
    {
        QHash<QString, qsizetype> theirs;
        for (const QString& s : current)
            if (balance.value(s) > 0)
                ++theirs[s];
        for (const QString& s : before)
            if (theirs.contains(s))
                --theirs[s];
        for (auto it = theirs.cbegin(); it != theirs.cend(); ++it)
            if (it.value() > 0)
                balance[it.key()] = std::max<qsizetype>(0, balance[it.key()] - it.value());
    }

    // What stands now, less what the edit removed.
    QStringList kept;
    kept.reserve(current.size());
    {
        QHash<QString, qsizetype> toRemove;
        for (auto it = balance.cbegin(); it != balance.cend(); ++it)
            if (it.value() < 0)
                toRemove.insert(it.key(), -it.value());
        for (const QString& s : current) {
            const auto r = toRemove.find(s);
            if (r != toRemove.end() && r.value() > 0) {
                --r.value();
                continue;
            }
            kept.append(s);
        }
    }

    // The edited list's items in its order: its own additions, and what still stands.
    QHash<QString, qsizetype> available;
    available.reserve(kept.size());
    for (const QString& s : kept)
        ++available[s];
    QStringList skeleton;
    skeleton.reserve(after.size());
    // Positions in skeleton of each text taken from kept, in order, for placing the rest.
    QHash<QString, std::vector<qsizetype>> placed;
    for (const QString& s : after) {
        qsizetype& added = balance[s];
        if (added > 0) {
            --added;
            skeleton.append(s);
            continue;
        }
        const auto a = available.find(s);
        if (a != available.end() && a.value() > 0) {
            --a.value();
            placed[s].push_back(skeleton.size());
            skeleton.append(s);
        }
    }

    // Others' additions: each after the kept item it follows now (at the front when none).
    std::vector<QStringList> following(size_t(skeleton.size()) + 1);
    QHash<QString, qsizetype> used;
    qsizetype anchor = -1;
    for (const QString& s : kept) {
        const auto p = placed.constFind(s);
        qsizetype& n = used[s];
        if (p != placed.cend() && n < qsizetype(p->size())) {
            anchor = (*p)[size_t(n++)];
            continue;
        }
        following[size_t(anchor + 1)].append(s);
    }
    QStringList result;
    result.reserve(kept.size() + skeleton.size());
    result += following[0];
    for (qsizetype i = 0; i < skeleton.size(); ++i) {
        result.append(skeleton[i]);
        result += following[size_t(i + 1)];
    }
    return result;
}

} // namespace tavelorn
