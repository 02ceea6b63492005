#pragma once

#include <QByteArray>
#include <QString>

namespace tavelorn {

// The distribution's pretty name from os-release ("Linux" when it has none).
QString systemName();
// PRETTY_NAME of an os-release file's content, unquoted, cut at a NUL, control
// characters blanked, at most 120 characters; empty when there is none.
QString osReleasePrettyName(const QByteArray& content);

// "<name> (Version <major>.<minor>, Build <build>, Edition 64 bits|Edition 32 bits)"
// for the running system: the distribution's pretty name, the kernel's version numbers
// and the kernel's architecture.
QString operatingSystemDescription();
QString operatingSystemDescription(const QString& name, const QString& kernelRelease,
                                   const QString& cpuArchitecture);

} // namespace tavelorn
