#pragma once

#include <QString>

namespace tavelorn {

// Every address the program uses on the maker's web site, in one place.
//
// The site is reached as "https://" + siteHost(). The environment variable
// TAVELORN_SITE_URL, when it holds an http or https address (such as
// "http://127.0.0.1:8080" or "https://mirror.example.org/tavelorn"), replaces that base in
// every address on the site: tests reach a local server through it, and an organisation
// can serve the update information from an internal mirror. Any other value is ignored.

// The host name of the maker's web site, as built in.
QString siteHost();
// The host (with its port, if the address names one) that the site's addresses really
// reach: that of TAVELORN_SITE_URL when it applies, else siteHost(). The About dialog
// shows it.
QString effectiveSiteHost();
// The full address of the donation page.
QString donationPageUrl();

// The site's base address without a trailing "/": TAVELORN_SITE_URL or "https://" + siteHost().
QString siteBaseUrl();
// base + pathAndQuery; pathAndQuery starts with "/".
QString siteAddress(const QString& pathAndQuery);
// An address on the site with its base replaced as above; any other address unchanged.
QString onSite(const QString& address);

QString wikiStartPageUrl();
QString eulaPageUrl();
QString donationAddress();
// "/files/" followed by the update information file name, percent-encoded.
QString updateInfoUrl(const QString& updateInfoFileName);
QString usageTrackingUrl(int siteNumber);

} // namespace tavelorn
