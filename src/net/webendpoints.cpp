#include "webendpoints.h"

#include "netconfig.h"

#include <QUrl>

namespace tavelorn {

QString siteHost()
{
    return QString::fromLatin1(kConfiguredSiteHost);
}

QString donationPageUrl()
{
    return QString::fromLatin1(kConfiguredDonationPageUrl);
}

static QString overrideBase()
{
    const QString value = qEnvironmentVariable("TAVELORN_SITE_URL").trimmed();
    if (value.isEmpty())
        return {};
    const QUrl url(value, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    // Only a plain base address: a query, fragment or user name would leak into every request.
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty() ||
        url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return {};
    QString base = url.toString(QUrl::FullyEncoded);
    while (base.endsWith(u'/'))
        base.chop(1);
    return base;
}

static QString defaultBase()
{
    return QStringLiteral("https://") + siteHost();
}

QString siteBaseUrl()
{
    const QString base = overrideBase();
    return base.isEmpty() ? defaultBase() : base;
}

QString effectiveSiteHost()
{
    const QString base = overrideBase();
    if (base.isEmpty())
        return siteHost();
    // No user information gets this far: the authority is the host and the port.
    return QUrl(base, QUrl::StrictMode).authority(QUrl::PrettyDecoded);
}

QString siteAddress(const QString& pathAndQuery)
{
    return siteBaseUrl() + pathAndQuery;
}

QString onSite(const QString& address)
{
    const QString site = defaultBase();
    if (!address.startsWith(site, Qt::CaseInsensitive))
        return address;
    const QStringView rest = QStringView(address).mid(site.size());
    // "https://host.example" must not match "https://host.example.org/...".
    if (!rest.isEmpty() && rest.front() != u'/' && rest.front() != u'?' && rest.front() != u'#')
        return address;
    return siteBaseUrl() + rest.toString();
}

QString wikiStartPageUrl()
{
    return siteAddress(QStringLiteral("/wiki/doku.php"));
}

QString eulaPageUrl()
{
    return siteAddress(QStringLiteral("/wiki/doku.php?id=start:utils:eula"));
}

QString donationAddress()
{
    return onSite(donationPageUrl());
}

QString updateInfoUrl(const QString& updateInfoFileName)
{
    return siteAddress(QStringLiteral("/files/") +
                       QString::fromLatin1(QUrl::toPercentEncoding(updateInfoFileName)));
}

QString usageTrackingUrl(int siteNumber)
{
    return siteAddress(QStringLiteral("/statistiques/piwik.php?idsite=") +
                       QString::number(siteNumber) + QStringLiteral("&rec=1"));
}

} // namespace tavelorn
