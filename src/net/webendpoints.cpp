#include "webendpoints.h"

#include "netconfig.h"

#include <QUrl>

QString SiteHost()
{
    return QString::fromLatin1(kConfiguredSiteHost);
}

QString DonationPageUrl()
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
    return QStringLiteral("https://") + SiteHost();
}

QString SiteBaseUrl()
{
    const QString base = overrideBase();
    return base.isEmpty() ? defaultBase() : base;
}

QString EffectiveSiteHost()
{
    const QString base = overrideBase();
    if (base.isEmpty())
        return SiteHost();
    // No user information gets this far: the authority is the host and the port.
    return QUrl(base, QUrl::StrictMode).authority(QUrl::PrettyDecoded);
}

QString SiteAddress(const QString& pathAndQuery)
{
    return SiteBaseUrl() + pathAndQuery;
}

QString OnSite(const QString& address)
{
    const QString site = defaultBase();
    if (!address.startsWith(site, Qt::CaseInsensitive))
        return address;
    const QStringView rest = QStringView(address).mid(site.size());
    // "https://host.example" must not match "https://host.example.org/...".
    if (!rest.isEmpty() && rest.front() != u'/' && rest.front() != u'?' && rest.front() != u'#')
        return address;
    return SiteBaseUrl() + rest.toString();
}

QString WikiStartPageUrl()
{
    return SiteAddress(QStringLiteral("/wiki/doku.php"));
}

QString EulaPageUrl()
{
    return SiteAddress(QStringLiteral("/wiki/doku.php?id=start:utils:eula"));
}

QString DonationAddress()
{
    return OnSite(DonationPageUrl());
}

QString UpdateInfoUrl(const QString& updateInfoFileName)
{
    return SiteAddress(QStringLiteral("/files/") +
                       QString::fromLatin1(QUrl::toPercentEncoding(updateInfoFileName)));
}

QString UsageTrackingUrl(int siteNumber)
{
    return SiteAddress(QStringLiteral("/statistiques/piwik.php?idsite=") +
                       QString::number(siteNumber) + QStringLiteral("&rec=1"));
}
