#pragma once

// Fixture files of tests/data, which the end-to-end scripts read too.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

// The bytes of tests/data/name; a file that cannot be read fails the running test.
inline QByteArray TestData(const char* name)
{
    QFile file(QStringLiteral(TAVELORN_TEST_DATA_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
        return {};
    }
    return file.readAll();
}
