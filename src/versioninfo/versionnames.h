#pragma once

#include <QString>
#include <QtGlobal>

// The English name of a Windows language identifier, "Language (Territory)" as in
// "English (United States)" or "Serbian (Latin, Serbia)"; a neutral sublanguage gives
// the language alone. Empty for an identifier that names no known language.
QString windowsLanguageName(quint16 languageId);

// The name of a Windows code page as the code-page information gives it, the number
// then the description, as in "1252  (ANSI - Latin I)"; empty for an unknown code page.
QString windowsCodePageName(quint16 codePage);
