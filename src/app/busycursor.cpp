#include "busycursor.h"

#include <QApplication>

namespace tavelorn {

namespace {

// Counts resetAll() calls: a scope shown before the last one has nothing to restore.
// GUI thread only, as the cursor.
quint64 g_resets = 0;

} // namespace

BusyCursor::BusyCursor(Kind kind) : m_generation(g_resets)
{
    QApplication::setOverrideCursor(kind == Kind::Wait ? Qt::WaitCursor : Qt::BusyCursor);
}

BusyCursor::BusyCursor(BusyCursor&& other) noexcept
    : m_active(other.m_active), m_generation(other.m_generation)
{
    other.m_active = false;
}

BusyCursor::~BusyCursor()
{
    if (m_active && m_generation == g_resets)
        QApplication::restoreOverrideCursor();
}

void BusyCursor::resetAll()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    ++g_resets;
}

} // namespace tavelorn
