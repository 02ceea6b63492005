#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline QString fixture(const QString& name)
{
    return QStringLiteral(VERSIONINFO_FIXTURES "/") + name;
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << path.toStdString();
    return f.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

// The bytes of text in UTF-16LE, as keys are stored in a version block.
inline QByteArray utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// Offset of the node whose key is text: its header of three 16-bit fields comes first.
inline qsizetype nodeOffset(const QByteArray& file, const QString& key)
{
    const qsizetype at = file.indexOf(utf16(key) + QByteArray(2, '\0'));
    return at < 6 ? -1 : at - 6;
}

inline void put16(QByteArray& b, qsizetype at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}

inline void put32(QByteArray& b, qsizetype at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

inline quint32 get32(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}
