#pragma once

#include <QString>
#include <QtGlobal>

class QLocale;

namespace tavelorn {

// The name Windows gives a language identifier, in English, as in "English (United States)",
// "English (Caribbean)" or "Language Neutral"; a neutral identifier names the language alone
// ("English"). Empty for an identifier that Windows does not name.
QString windowsLanguageName(quint16 languageId);

// The language identifier of a specific Windows language with the locale's language, script
// and territory; 0 when there is none.
quint16 windowsLanguageId(const QLocale& locale);

// The language identifier of the user's language: that of the first user-interface language
// of the application's default locale, 0 when Windows has none for it.
quint16 userDefaultLanguageId();

// The name of a Windows code page as the code-page information gives it, the number
// then the description, as in "1252  (ANSI - Latin I)"; empty for an unknown code page.
QString windowsCodePageName(quint16 codePage);

} // namespace tavelorn
