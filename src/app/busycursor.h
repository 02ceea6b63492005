#pragma once

#include <QtGlobal>

namespace tavelorn {

// The program's busy cursor, shown over all its windows for as long as the object lives.
// Scopes nest. An error that ends a handler takes every busy cursor away at once
// (resetAll); a scope it outlived then restores nothing when it ends.
class BusyCursor
{
public:
    enum class Kind
    {
        Wait,       // the hourglass: the program works and takes no input meanwhile
        Background, // an arrow with an hourglass: the work runs in the background
    };

    explicit BusyCursor(Kind kind = Kind::Wait);
    ~BusyCursor();
    BusyCursor(BusyCursor&& other) noexcept;
    BusyCursor& operator=(BusyCursor&&) = delete;
    Q_DISABLE_COPY(BusyCursor)

    // Takes away every busy cursor shown now, whoever showed it.
    static void resetAll();

private:
    bool m_active = true;
    quint64 m_generation;
};

} // namespace tavelorn
