#include "versionnames.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <vector>

namespace tavelorn {

namespace {

struct Language
{
    quint16 id;
    const char* tag; // language[-Script][-TERRITORY], as Windows names the locale
    const char16_t* name;
};

// Every language identifier that Windows names, sorted by identifier, with the name it gives:
// its own wording, which often differs from the common one ("Catalan (Catalan)", "Chinese
// (Simplified, PRC)", "Spanish (Bolivarian Republic of Venezuela)").
constexpr Language kLanguages[] = {
    {0x0000, "", u"Language Neutral"},
    {0x0001, "ar", u"Arabic"},
    {0x0002, "bg", u"Bulgarian"},
    {0x0003, "ca", u"Catalan"},
    {0x0004, "zh-Hans", u"Chinese (Simplified)"},
    {0x0005, "cs", u"Czech"},
    {0x0006, "da", u"Danish"},
    {0x0007, "de", u"German"},
    {0x0008, "el", u"Greek"},
    {0x0009, "en", u"English"},
    {0x000A, "es", u"Spanish"},
    {0x000B, "fi", u"Finnish"},
    {0x000C, "fr", u"French"},
    {0x000D, "he", u"Hebrew"},
    {0x000E, "hu", u"Hungarian"},
    {0x000F, "is", u"Icelandic"},
    {0x0010, "it", u"Italian"},
    {0x0011, "ja", u"Japanese"},
    {0x0012, "ko", u"Korean"},
    {0x0013, "nl", u"Dutch"},
    {0x0014, "no", u"Norwegian"},
    {0x0015, "pl", u"Polish"},
    {0x0016, "pt", u"Portuguese"},
    {0x0017, "rm", u"Romansh"},
    {0x0018, "ro", u"Romanian"},
    {0x0019, "ru", u"Russian"},
    {0x001A, "hr", u"Croatian"},
    {0x001B, "sk", u"Slovak"},
    {0x001C, "sq", u"Albanian"},
    {0x001D, "sv", u"Swedish"},
    {0x001E, "th", u"Thai"},
    {0x001F, "tr", u"Turkish"},
    {0x0020, "ur", u"Urdu"},
    {0x0021, "id", u"Indonesian"},
    {0x0022, "uk", u"Ukrainian"},
    {0x0023, "be", u"Belarusian"},
    {0x0024, "sl", u"Slovenian"},
    {0x0025, "et", u"Estonian"},
    {0x0026, "lv", u"Latvian"},
    {0x0027, "lt", u"Lithuanian"},
    {0x0028, "tg", u"Tajik"},
    {0x0029, "fa", u"Persian"},
    {0x002A, "vi", u"Vietnamese"},
    {0x002B, "hy", u"Armenian"},
    {0x002C, "az", u"Azerbaijani"},
    {0x002D, "eu", u"Basque"},
    {0x002E, "hsb", u"Upper Sorbian"},
    {0x002F, "mk", u"Macedonian (FYROM)"},
    {0x0030, "st", u"Southern Sotho"},
    {0x0031, "ts", u"Tsonga"},
    {0x0032, "tn", u"Setswana"},
    {0x0033, "ve", u"Venda"},
    {0x0034, "xh", u"isiXhosa"},
    {0x0035, "zu", u"isiZulu"},
    {0x0036, "af", u"Afrikaans"},
    {0x0037, "ka", u"Georgian"},
    {0x0038, "fo", u"Faroese"},
    {0x0039, "hi", u"Hindi"},
    {0x003A, "mt", u"Maltese"},
    {0x003B, "se", u"Sami (Northern)"},
    {0x003C, "ga", u"Irish"},
    {0x003D, "yi", u"Yiddish"},
    {0x003E, "ms", u"Malay"},
    {0x003F, "kk", u"Kazakh"},
    {0x0040, "ky", u"Kyrgyz"},
    {0x0041, "sw", u"Kiswahili"},
    {0x0042, "tk", u"Turkmen"},
    {0x0043, "uz", u"Uzbek"},
    {0x0044, "tt", u"Tatar"},
    {0x0045, "bn", u"Bangla"},
    {0x0046, "pa", u"Punjabi"},
    {0x0047, "gu", u"Gujarati"},
    {0x0048, "or", u"Odia"},
    {0x0049, "ta", u"Tamil"},
    {0x004A, "te", u"Telugu"},
    {0x004B, "kn", u"Kannada"},
    {0x004C, "ml", u"Malayalam"},
    {0x004D, "as", u"Assamese"},
    {0x004E, "mr", u"Marathi"},
    {0x004F, "sa", u"Sanskrit"},
    {0x0050, "mn", u"Mongolian"},
    {0x0051, "bo", u"Tibetan"},
    {0x0052, "cy", u"Welsh"},
    {0x0053, "km", u"Khmer"},
    {0x0054, "lo", u"Lao"},
    {0x0055, "my", u"Burmese"},
    {0x0056, "gl", u"Galician"},
    {0x0057, "kok", u"Konkani"},
    {0x0058, "mni", u"Manipuri"},
    {0x0059, "sd", u"Sindhi"},
    {0x005A, "syr", u"Syriac"},
    {0x005B, "si", u"Sinhala"},
    {0x005C, "chr", u"Cherokee"},
    {0x005D, "iu", u"Inuktitut"},
    {0x005E, "am", u"Amharic"},
    {0x005F, "tzm", u"Tamazight"},
    {0x0060, "ks", u"Kashmiri"},
    {0x0061, "ne", u"Nepali"},
    {0x0062, "fy", u"Frisian"},
    {0x0063, "ps", u"Pashto"},
    {0x0064, "fil", u"Filipino"},
    {0x0065, "dv", u"Divehi"},
    {0x0066, "bin", u"Edo"},
    {0x0067, "ff", u"Fulah"},
    {0x0068, "ha", u"Hausa"},
    {0x0069, "ibb", u"Ibibio"},
    {0x006A, "yo", u"Yoruba"},
    {0x006B, "quz", u"Quechua"},
    {0x006C, "nso", u"Sesotho sa Leboa"},
    {0x006D, "ba", u"Bashkir"},
    {0x006E, "lb", u"Luxembourgish"},
    {0x006F, "kl", u"Greenlandic"},
    {0x0070, "ig", u"Igbo"},
    {0x0071, "kr", u"Kanuri"},
    {0x0072, "om", u"Oromo"},
    {0x0073, "ti", u"Tigrinya"},
    {0x0074, "gn", u"Guarani"},
    {0x0075, "haw", u"Hawaiian"},
    {0x0076, "la", u"Latin"},
    {0x0077, "so", u"Somali"},
    {0x0078, "ii", u"Yi"},
    {0x0079, "pap", u"Papiamento"},
    {0x007A, "arn", u"Mapudungun"},
    {0x007C, "moh", u"Mohawk"},
    {0x007E, "br", u"Breton"},
    {0x007F, "", u"Invariant Language (Invariant Country)"},
    {0x0080, "ug", u"Uyghur"},
    {0x0081, "mi", u"Maori"},
    {0x0082, "oc", u"Occitan"},
    {0x0083, "co", u"Corsican"},
    {0x0084, "gsw", u"Alsatian"},
    {0x0085, "sah", u"Sakha"},
    {0x0086, "quc", u"K'iche'"},
    {0x0087, "rw", u"Kinyarwanda"},
    {0x0088, "wo", u"Wolof"},
    {0x008C, "prs", u"Dari"},
    {0x0091, "gd", u"Scottish Gaelic"},
    {0x0092, "ku", u"Central Kurdish"},
    {0x0401, "ar-SA", u"Arabic (Saudi Arabia)"},
    {0x0402, "bg-BG", u"Bulgarian (Bulgaria)"},
    {0x0403, "ca-ES", u"Catalan (Catalan)"},
    {0x0404, "zh-TW", u"Chinese (Traditional, Taiwan)"},
    {0x0405, "cs-CZ", u"Czech (Czech Republic)"},
    {0x0406, "da-DK", u"Danish (Denmark)"},
    {0x0407, "de-DE", u"German (Germany)"},
    {0x0408, "el-GR", u"Greek (Greece)"},
    {0x0409, "en-US", u"English (United States)"},
    {0x040A, "es-ES_tradnl", u"Spanish (Spain, Traditional Sort)"},
    {0x040B, "fi-FI", u"Finnish (Finland)"},
    {0x040C, "fr-FR", u"French (France)"},
    {0x040D, "he-IL", u"Hebrew (Israel)"},
    {0x040E, "hu-HU", u"Hungarian (Hungary)"},
    {0x040F, "is-IS", u"Icelandic (Iceland)"},
    {0x0410, "it-IT", u"Italian (Italy)"},
    {0x0411, "ja-JP", u"Japanese (Japan)"},
    {0x0412, "ko-KR", u"Korean (Korea)"},
    {0x0413, "nl-NL", u"Dutch (Netherlands)"},
    {0x0414, "nb-NO", u"Norwegian, Bokmål (Norway)"},
    {0x0415, "pl-PL", u"Polish (Poland)"},
    {0x0416, "pt-BR", u"Portuguese (Brazil)"},
    {0x0417, "rm-CH", u"Romansh (Switzerland)"},
    {0x0418, "ro-RO", u"Romanian (Romania)"},
    {0x0419, "ru-RU", u"Russian (Russia)"},
    {0x041A, "hr-HR", u"Croatian (Croatia)"},
    {0x041B, "sk-SK", u"Slovak (Slovakia)"},
    {0x041C, "sq-AL", u"Albanian (Albania)"},
    {0x041D, "sv-SE", u"Swedish (Sweden)"},
    {0x041E, "th-TH", u"Thai (Thailand)"},
    {0x041F, "tr-TR", u"Turkish (Turkey)"},
    {0x0420, "ur-PK", u"Urdu (Islamic Republic of Pakistan)"},
    {0x0421, "id-ID", u"Indonesian (Indonesia)"},
    {0x0422, "uk-UA", u"Ukrainian (Ukraine)"},
    {0x0423, "be-BY", u"Belarusian (Belarus)"},
    {0x0424, "sl-SI", u"Slovenian (Slovenia)"},
    {0x0425, "et-EE", u"Estonian (Estonia)"},
    {0x0426, "lv-LV", u"Latvian (Latvia)"},
    {0x0427, "lt-LT", u"Lithuanian (Lithuania)"},
    {0x0428, "tg-Cyrl-TJ", u"Tajik (Cyrillic, Tajikistan)"},
    {0x0429, "fa-IR", u"Persian (Iran)"},
    {0x042A, "vi-VN", u"Vietnamese (Vietnam)"},
    {0x042B, "hy-AM", u"Armenian (Armenia)"},
    {0x042C, "az-Latn-AZ", u"Azerbaijani (Latin, Azerbaijan)"},
    {0x042D, "eu-ES", u"Basque (Basque)"},
    {0x042E, "hsb-DE", u"Upper Sorbian (Germany)"},
    {0x042F, "mk-MK", u"Macedonian (Former Yugoslav Republic of Macedonia)"},
    {0x0430, "st-ZA", u"Southern Sotho (South Africa)"},
    {0x0431, "ts-ZA", u"Tsonga (South Africa)"},
    {0x0432, "tn-ZA", u"Setswana (South Africa)"},
    {0x0433, "ve-ZA", u"Venda (South Africa)"},
    {0x0434, "xh-ZA", u"isiXhosa (South Africa)"},
    {0x0435, "zu-ZA", u"isiZulu (South Africa)"},
    {0x0436, "af-ZA", u"Afrikaans (South Africa)"},
    {0x0437, "ka-GE", u"Georgian (Georgia)"},
    {0x0438, "fo-FO", u"Faroese (Faroe Islands)"},
    {0x0439, "hi-IN", u"Hindi (India)"},
    {0x043A, "mt-MT", u"Maltese (Malta)"},
    {0x043B, "se-NO", u"Sami, Northern (Norway)"},
    {0x043D, "yi-001", u"Yiddish (World)"},
    {0x043E, "ms-MY", u"Malay (Malaysia)"},
    {0x043F, "kk-KZ", u"Kazakh (Kazakhstan)"},
    {0x0440, "ky-KG", u"Kyrgyz (Kyrgyzstan)"},
    {0x0441, "sw-KE", u"Kiswahili (Kenya)"},
    {0x0442, "tk-TM", u"Turkmen (Turkmenistan)"},
    {0x0443, "uz-Latn-UZ", u"Uzbek (Latin, Uzbekistan)"},
    {0x0444, "tt-RU", u"Tatar (Russia)"},
    {0x0445, "bn-IN", u"Bangla (India)"},
    {0x0446, "pa-IN", u"Punjabi (India)"},
    {0x0447, "gu-IN", u"Gujarati (India)"},
    {0x0448, "or-IN", u"Odia (India)"},
    {0x0449, "ta-IN", u"Tamil (India)"},
    {0x044A, "te-IN", u"Telugu (India)"},
    {0x044B, "kn-IN", u"Kannada (India)"},
    {0x044C, "ml-IN", u"Malayalam (India)"},
    {0x044D, "as-IN", u"Assamese (India)"},
    {0x044E, "mr-IN", u"Marathi (India)"},
    {0x044F, "sa-IN", u"Sanskrit (India)"},
    {0x0450, "mn-MN", u"Mongolian (Cyrillic, Mongolia)"},
    {0x0451, "bo-CN", u"Tibetan (PRC)"},
    {0x0452, "cy-GB", u"Welsh (United Kingdom)"},
    {0x0453, "km-KH", u"Khmer (Cambodia)"},
    {0x0454, "lo-LA", u"Lao (Lao P.D.R.)"},
    {0x0455, "my-MM", u"Burmese (Myanmar)"},
    {0x0456, "gl-ES", u"Galician (Galician)"},
    {0x0457, "kok-IN", u"Konkani (India)"},
    {0x0458, "mni-IN", u"Manipuri (India)"},
    {0x0459, "sd-Deva-IN", u"Sindhi (Devanagari, India)"},
    {0x045A, "syr-SY", u"Syriac (Syria)"},
    {0x045B, "si-LK", u"Sinhala (Sri Lanka)"},
    {0x045C, "chr-Cher-US", u"Cherokee (Cherokee)"},
    {0x045D, "iu-Cans-CA", u"Inuktitut (Syllabics, Canada)"},
    {0x045E, "am-ET", u"Amharic (Ethiopia)"},
    {0x045F, "tzm-Arab-MA", u"Central Atlas Tamazight (Arabic, Morocco)"},
    {0x0460, "ks-Arab", u"Kashmiri (Perso-Arabic)"},
    {0x0461, "ne-NP", u"Nepali (Nepal)"},
    {0x0462, "fy-NL", u"Frisian (Netherlands)"},
    {0x0463, "ps-AF", u"Pashto (Afghanistan)"},
    {0x0464, "fil-PH", u"Filipino (Philippines)"},
    {0x0465, "dv-MV", u"Divehi (Maldives)"},
    {0x0466, "bin-NG", u"Edo (Nigeria)"},
    {0x0467, "ff-NG", u"Fulah (Nigeria)"},
    {0x0468, "ha-Latn-NG", u"Hausa (Latin, Nigeria)"},
    {0x0469, "ibb-NG", u"Ibibio (Nigeria)"},
    {0x046A, "yo-NG", u"Yoruba (Nigeria)"},
    {0x046B, "quz-BO", u"Quechua (Bolivia)"},
    {0x046C, "nso-ZA", u"Sesotho sa Leboa (South Africa)"},
    {0x046D, "ba-RU", u"Bashkir (Russia)"},
    {0x046E, "lb-LU", u"Luxembourgish (Luxembourg)"},
    {0x046F, "kl-GL", u"Greenlandic (Greenland)"},
    {0x0470, "ig-NG", u"Igbo (Nigeria)"},
    {0x0471, "kr-NG", u"Kanuri (Nigeria)"},
    {0x0472, "om-ET", u"Oromo (Ethiopia)"},
    {0x0473, "ti-ET", u"Tigrinya (Ethiopia)"},
    {0x0474, "gn-PY", u"Guarani (Paraguay)"},
    {0x0475, "haw-US", u"Hawaiian (United States)"},
    {0x0476, "la-001", u"Latin (World)"},
    {0x0477, "so-SO", u"Somali (Somalia)"},
    {0x0478, "ii-CN", u"Yi (PRC)"},
    {0x0479, "pap-029", u"Papiamento (Caribbean)"},
    {0x047A, "arn-CL", u"Mapudungun (Chile)"},
    {0x047C, "moh-CA", u"Mohawk (Mohawk)"},
    {0x047E, "br-FR", u"Breton (France)"},
    {0x0480, "ug-CN", u"Uyghur (PRC)"},
    {0x0481, "mi-NZ", u"Maori (New Zealand)"},
    {0x0482, "oc-FR", u"Occitan (France)"},
    {0x0483, "co-FR", u"Corsican (France)"},
    {0x0484, "gsw-FR", u"Alsatian (France)"},
    {0x0485, "sah-RU", u"Sakha (Russia)"},
    {0x0486, "quc-Latn-GT", u"K'iche' (Guatemala)"},
    {0x0487, "rw-RW", u"Kinyarwanda (Rwanda)"},
    {0x0488, "wo-SN", u"Wolof (Senegal)"},
    {0x048C, "prs-AF", u"Dari (Afghanistan)"},
    {0x0491, "gd-GB", u"Scottish Gaelic (United Kingdom)"},
    {0x0492, "ku-Arab-IQ", u"Central Kurdish (Iraq)"},
    {0x0801, "ar-IQ", u"Arabic (Iraq)"},
    {0x0803, "ca-ES-valencia", u"Valencian (Spain)"},
    {0x0804, "zh-CN", u"Chinese (Simplified, PRC)"},
    {0x0807, "de-CH", u"German (Switzerland)"},
    {0x0809, "en-GB", u"English (United Kingdom)"},
    {0x080A, "es-MX", u"Spanish (Mexico)"},
    {0x080C, "fr-BE", u"French (Belgium)"},
    {0x0810, "it-CH", u"Italian (Switzerland)"},
    {0x0813, "nl-BE", u"Dutch (Belgium)"},
    {0x0814, "nn-NO", u"Norwegian, Nynorsk (Norway)"},
    {0x0816, "pt-PT", u"Portuguese (Portugal)"},
    {0x0818, "ro-MD", u"Romanian (Moldova)"},
    {0x0819, "ru-MD", u"Russian (Moldova)"},
    {0x081A, "sr-Latn-CS", u"Serbian (Latin, Serbia and Montenegro (Former))"},
    {0x081D, "sv-FI", u"Swedish (Finland)"},
    {0x0820, "ur-IN", u"Urdu (India)"},
    {0x082C, "az-Cyrl-AZ", u"Azerbaijani (Cyrillic, Azerbaijan)"},
    {0x082E, "dsb-DE", u"Lower Sorbian (Germany)"},
    {0x0832, "tn-BW", u"Setswana (Botswana)"},
    {0x083B, "se-SE", u"Sami, Northern (Sweden)"},
    {0x083C, "ga-IE", u"Irish (Ireland)"},
    {0x083E, "ms-BN", u"Malay (Brunei Darussalam)"},
    {0x0843, "uz-Cyrl-UZ", u"Uzbek (Cyrillic, Uzbekistan)"},
    {0x0845, "bn-BD", u"Bangla (Bangladesh)"},
    {0x0846, "pa-Arab-PK", u"Punjabi (Islamic Republic of Pakistan)"},
    {0x0849, "ta-LK", u"Tamil (Sri Lanka)"},
    {0x0850, "mn-Mong-CN", u"Mongolian (Traditional Mongolian, PRC)"},
    {0x0859, "sd-Arab-PK", u"Sindhi (Islamic Republic of Pakistan)"},
    {0x085D, "iu-Latn-CA", u"Inuktitut (Latin, Canada)"},
    {0x085F, "tzm-Latn-DZ", u"Tamazight (Latin, Algeria)"},
    {0x0860, "ks-Deva-IN", u"Kashmiri (Devanagari, India)"},
    {0x0861, "ne-IN", u"Nepali (India)"},
    {0x0867, "ff-Latn-SN", u"Fulah (Latin, Senegal)"},
    {0x086B, "quz-EC", u"Quechua (Ecuador)"},
    {0x0873, "ti-ER", u"Tigrinya (Eritrea)"},
    {0x0C01, "ar-EG", u"Arabic (Egypt)"},
    {0x0C04, "zh-HK", u"Chinese (Traditional, Hong Kong S.A.R.)"},
    {0x0C07, "de-AT", u"German (Austria)"},
    {0x0C09, "en-AU", u"English (Australia)"},
    {0x0C0A, "es-ES", u"Spanish (Spain)"},
    {0x0C0C, "fr-CA", u"French (Canada)"},
    {0x0C1A, "sr-Cyrl-CS", u"Serbian (Cyrillic, Serbia and Montenegro (Former))"},
    {0x0C3B, "se-FI", u"Sami, Northern (Finland)"},
    {0x0C50, "mn-Mong-MN", u"Mongolian (Traditional Mongolian, Mongolia)"},
    {0x0C51, "dz-BT", u"Dzongkha (Bhutan)"},
    {0x0C6B, "quz-PE", u"Quechua (Peru)"},
    {0x1001, "ar-LY", u"Arabic (Libya)"},
    {0x1004, "zh-SG", u"Chinese (Simplified, Singapore)"},
    {0x1007, "de-LU", u"German (Luxembourg)"},
    {0x1009, "en-CA", u"English (Canada)"},
    {0x100A, "es-GT", u"Spanish (Guatemala)"},
    {0x100C, "fr-CH", u"French (Switzerland)"},
    {0x101A, "hr-BA", u"Croatian (Latin, Bosnia and Herzegovina)"},
    {0x103B, "smj-NO", u"Sami, Lule (Norway)"},
    {0x105F, "tzm-Tfng-MA", u"Central Atlas Tamazight (Tifinagh, Morocco)"},
    {0x1401, "ar-DZ", u"Arabic (Algeria)"},
    {0x1404, "zh-MO", u"Chinese (Traditional, Macao S.A.R.)"},
    {0x1407, "de-LI", u"German (Liechtenstein)"},
    {0x1409, "en-NZ", u"English (New Zealand)"},
    {0x140A, "es-CR", u"Spanish (Costa Rica)"},
    {0x140C, "fr-LU", u"French (Luxembourg)"},
    {0x141A, "bs-Latn-BA", u"Bosnian (Latin, Bosnia and Herzegovina)"},
    {0x143B, "smj-SE", u"Sami, Lule (Sweden)"},
    {0x1801, "ar-MA", u"Arabic (Morocco)"},
    {0x1809, "en-IE", u"English (Ireland)"},
    {0x180A, "es-PA", u"Spanish (Panama)"},
    {0x180C, "fr-MC", u"French (Monaco)"},
    {0x181A, "sr-Latn-BA", u"Serbian (Latin, Bosnia and Herzegovina)"},
    {0x183B, "sma-NO", u"Sami, Southern (Norway)"},
    {0x1C01, "ar-TN", u"Arabic (Tunisia)"},
    {0x1C09, "en-ZA", u"English (South Africa)"},
    {0x1C0A, "es-DO", u"Spanish (Dominican Republic)"},
    {0x1C0C, "fr-029", u"French (Caribbean)"},
    {0x1C1A, "sr-Cyrl-BA", u"Serbian (Cyrillic, Bosnia and Herzegovina)"},
    {0x1C3B, "sma-SE", u"Sami, Southern (Sweden)"},
    {0x2001, "ar-OM", u"Arabic (Oman)"},
    {0x2009, "en-JM", u"English (Jamaica)"},
    {0x200A, "es-VE", u"Spanish (Bolivarian Republic of Venezuela)"},
    {0x200C, "fr-RE", u"French (Reunion)"},
    {0x201A, "bs-Cyrl-BA", u"Bosnian (Cyrillic, Bosnia and Herzegovina)"},
    {0x203B, "sms-FI", u"Sami, Skolt (Finland)"},
    {0x2401, "ar-YE", u"Arabic (Yemen)"},
    {0x2409, "en-029", u"English (Caribbean)"},
    {0x240A, "es-CO", u"Spanish (Colombia)"},
    {0x240C, "fr-CD", u"French (Congo DRC)"},
    {0x241A, "sr-Latn-RS", u"Serbian (Latin, Serbia)"},
    {0x243B, "smn-FI", u"Sami, Inari (Finland)"},
    {0x2801, "ar-SY", u"Arabic (Syria)"},
    {0x2809, "en-BZ", u"English (Belize)"},
    {0x280A, "es-PE", u"Spanish (Peru)"},
    {0x280C, "fr-SN", u"French (Senegal)"},
    {0x281A, "sr-Cyrl-RS", u"Serbian (Cyrillic, Serbia)"},
    {0x2C01, "ar-JO", u"Arabic (Jordan)"},
    {0x2C09, "en-TT", u"English (Trinidad and Tobago)"},
    {0x2C0A, "es-AR", u"Spanish (Argentina)"},
    {0x2C0C, "fr-CM", u"French (Cameroon)"},
    {0x2C1A, "sr-Latn-ME", u"Serbian (Latin, Montenegro)"},
    {0x3001, "ar-LB", u"Arabic (Lebanon)"},
    {0x3009, "en-ZW", u"English (Zimbabwe)"},
    {0x300A, "es-EC", u"Spanish (Ecuador)"},
    {0x300C, "fr-CI", u"French (Côte d’Ivoire)"},
    {0x301A, "sr-Cyrl-ME", u"Serbian (Cyrillic, Montenegro)"},
    {0x3401, "ar-KW", u"Arabic (Kuwait)"},
    {0x3409, "en-PH", u"English (Republic of the Philippines)"},
    {0x340A, "es-CL", u"Spanish (Chile)"},
    {0x340C, "fr-ML", u"French (Mali)"},
    {0x3801, "ar-AE", u"Arabic (U.A.E.)"},
    {0x3809, "en-ID", u"English (Indonesia)"},
    {0x380A, "es-UY", u"Spanish (Uruguay)"},
    {0x380C, "fr-MA", u"French (Morocco)"},
    {0x3C01, "ar-BH", u"Arabic (Bahrain)"},
    {0x3C09, "en-HK", u"English (Hong Kong SAR)"},
    {0x3C0A, "es-PY", u"Spanish (Paraguay)"},
    {0x3C0C, "fr-HT", u"French (Haiti)"},
    {0x4001, "ar-QA", u"Arabic (Qatar)"},
    {0x4009, "en-IN", u"English (India)"},
    {0x400A, "es-BO", u"Spanish (Bolivia)"},
    {0x4409, "en-MY", u"English (Malaysia)"},
    {0x440A, "es-SV", u"Spanish (El Salvador)"},
    {0x4809, "en-SG", u"English (Singapore)"},
    {0x480A, "es-HN", u"Spanish (Honduras)"},
    {0x4C09, "en-AE", u"English (United Arab Emirates)"},
    {0x4C0A, "es-NI", u"Spanish (Nicaragua)"},
    {0x500A, "es-PR", u"Spanish (Puerto Rico)"},
    {0x540A, "es-US", u"Spanish (United States)"},
    {0x580A, "es-419", u"Spanish (Latin America)"},
    {0x5C0A, "es-CU", u"Spanish (Cuba)"},
    {0x641A, "bs-Cyrl", u"Bosnian (Cyrillic)"},
    {0x681A, "bs-Latn", u"Bosnian (Latin)"},
    {0x6C1A, "sr-Cyrl", u"Serbian (Cyrillic)"},
    {0x701A, "sr-Latn", u"Serbian (Latin)"},
    {0x703B, "smn", u"Sami (Inari)"},
    {0x742C, "az-Cyrl", u"Azerbaijani (Cyrillic)"},
    {0x743B, "sms", u"Sami (Skolt)"},
    {0x7804, "zh", u"Chinese"},
    {0x7814, "nn", u"Norwegian (Nynorsk)"},
    {0x781A, "bs", u"Bosnian"},
    {0x782C, "az-Latn", u"Azerbaijani (Latin)"},
    {0x783B, "sma", u"Sami (Southern)"},
    {0x7843, "uz-Cyrl", u"Uzbek (Cyrillic)"},
    {0x7850, "mn-Cyrl", u"Mongolian (Cyrillic)"},
    {0x785D, "iu-Cans", u"Inuktitut (Syllabics)"},
    {0x785F, "tzm-Tfng", u"Tamazight (Tifinagh)"},
    {0x7C04, "zh-Hant", u"Chinese (Traditional)"},
    {0x7C14, "nb", u"Norwegian (Bokmål)"},
    {0x7C1A, "sr", u"Serbian"},
    {0x7C28, "tg-Cyrl", u"Tajik (Cyrillic)"},
    {0x7C2E, "dsb", u"Lower Sorbian"},
    {0x7C3B, "smj", u"Sami (Lule)"},
    {0x7C43, "uz-Latn", u"Uzbek (Latin)"},
    {0x7C46, "pa-Arab", u"Punjabi (Arabic)"},
    {0x7C50, "mn-Mong", u"Mongolian (Traditional Mongolian)"},
    {0x7C59, "sd-Arab", u"Sindhi (Arabic)"},
    {0x7C5C, "chr-Cher", u"Cherokee (Cherokee)"},
    {0x7C5D, "iu-Latn", u"Inuktitut (Latin)"},
    {0x7C5F, "tzm-Latn", u"Tamazight (Latin)"},
    {0x7C67, "ff-Latn", u"Fulah (Latin)"},
    {0x7C68, "ha-Latn", u"Hausa (Latin)"},
    {0x7C86, "quc-Latn", u"K'iche'"},
    {0x7C92, "ku-Arab", u"Central Kurdish (Arabic)"},
};

struct CodePage
{
    quint16 number;
    const char* description;
};

// Sorted by number. The four Unicode code pages are described by the caller.
constexpr CodePage kCodePages[] = {
    {37, "IBM EBCDIC - U.S./Canada"},
    {437, "OEM - United States"},
    {500, "IBM EBCDIC - International"},
    {708, "Arabic - ASMO"},
    {720, "Arabic - Transparent ASMO"},
    {737, "OEM - Greek 437G"},
    {775, "OEM - Baltic"},
    {850, "OEM - Multilingual Latin I"},
    {852, "OEM - Latin II"},
    {855, "OEM - Cyrillic"},
    {857, "OEM - Turkish"},
    {858, "OEM - Multilingual Latin I + Euro"},
    {860, "OEM - Portuguese"},
    {861, "OEM - Icelandic"},
    {862, "OEM - Hebrew"},
    {863, "OEM - Canadian French"},
    {864, "OEM - Arabic"},
    {865, "OEM - Nordic"},
    {866, "OEM - Russian"},
    {869, "OEM - Modern Greek"},
    {874, "ANSI/OEM - Thai"},
    {875, "IBM EBCDIC - Modern Greek"},
    {932, "ANSI/OEM - Japanese Shift-JIS"},
    {936, "ANSI/OEM - Simplified Chinese GBK"},
    {949, "ANSI/OEM - Korean"},
    {950, "ANSI/OEM - Traditional Chinese Big5"},
    {1026, "IBM EBCDIC - Turkish (Latin-5)"},
    {1250, "ANSI - Central Europe"},
    {1251, "ANSI - Cyrillic"},
    {1252, "ANSI - Latin I"},
    {1253, "ANSI - Greek"},
    {1254, "ANSI - Turkish"},
    {1255, "ANSI - Hebrew"},
    {1256, "ANSI - Arabic"},
    {1257, "ANSI - Baltic"},
    {1258, "ANSI/OEM - Viet Nam"},
    {1361, "Korean - Johab"},
    {10000, "MAC - Roman"},
    {10001, "MAC - Japanese"},
    {10002, "MAC - Traditional Chinese Big5"},
    {10003, "MAC - Korean"},
    {10004, "MAC - Arabic"},
    {10005, "MAC - Hebrew"},
    {10006, "MAC - Greek I"},
    {10007, "MAC - Cyrillic"},
    {10008, "MAC - Simplified Chinese GB 2312"},
    {10010, "MAC - Romania"},
    {10017, "MAC - Ukraine"},
    {10029, "MAC - Latin II"},
    {10079, "MAC - Icelandic"},
    {10081, "MAC - Turkish"},
    {10082, "MAC - Croatia"},
    {20127, "US-ASCII"},
    {20866, "Russian - KOI8"},
    {20932, "JIS X 0208-1990 & 0212-1990"},
    {20936, "Simplified Chinese GB2312"},
    {21866, "Ukrainian - KOI8-U"},
    {28591, "ISO 8859-1 Latin I"},
    {28592, "ISO 8859-2 Central Europe"},
    {28593, "ISO 8859-3 Latin 3"},
    {28594, "ISO 8859-4 Baltic"},
    {28595, "ISO 8859-5 Cyrillic"},
    {28596, "ISO 8859-6 Arabic"},
    {28597, "ISO 8859-7 Greek"},
    {28598, "ISO 8859-8 Hebrew: Visual Ordering"},
    {28599, "ISO 8859-9 Latin 5"},
    {28603, "ISO 8859-13 Latin 7"},
    {28605, "ISO 8859-15 Latin 9"},
    {38598, "ISO 8859-8 Hebrew: Logical Ordering"},
    {50220, "ISO-2022 Japanese with no halfwidth Katakana"},
    {50221, "ISO-2022 Japanese with halfwidth Katakana"},
    {50222, "ISO-2022 Japanese JIS X 0201-1989"},
    {50225, "ISO-2022 Korean"},
    {51932, "EUC-Japanese"},
    {51936, "EUC-Simplified Chinese"},
    {51949, "EUC-Korean"},
    {52936, "HZ-GB2312 Simplified Chinese"},
    {54936, "GB18030 Simplified Chinese"},
    {65000, "UTF-7"},
    {65001, "UTF-8"},
};

// Strictly: one name per identifier.
static_assert(std::is_sorted(std::begin(kLanguages), std::end(kLanguages),
                             [](const Language& a, const Language& b) { return a.id <= b.id; }));
static_assert(std::is_sorted(std::begin(kCodePages), std::end(kCodePages),
                             [](const CodePage& a, const CodePage& b) {
                                 return a.number < b.number;
                             }));

template <typename Entry, std::size_t N>
const Entry* findSorted(const Entry (&table)[N], quint16 Entry::*field, quint16 key)
{
    const Entry* it = std::lower_bound(table, table + N, key,
                                       [field](const Entry& e, quint16 k) { return e.*field < k; });
    return it != table + N && (*it).*field == key ? it : nullptr;
}

// A specific language of the table as QLocale codes it.
struct LocaleKey
{
    QLocale::Language language;
    QLocale::Script script;
    QLocale::Territory territory;
    quint16 id;
};

// The specific languages whose codes QLocale knows, in identifier order. A tag without a
// script stands for the territory's usual script, so that "mn-MN" is not taken for a locale
// written in Mongolian script. Tags with a variant or a sort ("ca-ES-valencia",
// "es-ES_tradnl") are left out: a locale has neither.
std::vector<LocaleKey> specificLanguages()
{
    std::vector<LocaleKey> keys;
    for (const Language& l : kLanguages) {
        const QStringList parts = QString::fromLatin1(l.tag).split(u'-');
        if (parts.size() < 2 || parts.size() > 3 || (parts.size() == 3 && parts[1].size() != 4))
            continue;
        const QLocale::Language language = QLocale::codeToLanguage(parts.first());
        const QLocale::Territory territory = QLocale::codeToTerritory(parts.last());
        if (language == QLocale::AnyLanguage || territory == QLocale::AnyTerritory)
            continue;
        QLocale::Script script = QLocale::AnyScript;
        if (parts.size() == 3) {
            script = QLocale::codeToScript(parts[1]);
            if (script == QLocale::AnyScript)
                continue;
        } else {
            script = QLocale(language, territory).script();
        }
        keys.push_back({language, script, territory, l.id});
    }
    return keys;
}

} // namespace

QString windowsLanguageName(quint16 languageId)
{
    const Language* l = findSorted(kLanguages, &Language::id, languageId);
    return l ? QString::fromUtf16(l->name) : QString();
}

quint16 windowsLanguageId(const QLocale& locale)
{
    static const std::vector<LocaleKey> keys = specificLanguages();
    for (const LocaleKey& k : keys) {
        if (k.language == locale.language() && k.territory == locale.territory() &&
            k.script == locale.script())
            return k.id;
    }
    return 0;
}

quint16 userDefaultLanguageId()
{
    const QLocale locale;
    const QStringList languages = locale.uiLanguages();
    return windowsLanguageId(languages.isEmpty() ? locale : QLocale(languages.first()));
}

QString windowsCodePageName(quint16 codePage)
{
    // The pseudo code pages of the current ANSI, OEM and Macintosh code pages resolve as
    // on a Western European system: legacy text here is Windows-1252.
    switch (codePage) {
    case 0: // CP_ACP
    case 3: // CP_THREAD_ACP
        codePage = 1252;
        break;
    case 1: // CP_OEMCP
        codePage = 850;
        break;
    case 2: // CP_MACCP
        codePage = 10000;
        break;
    default:
        break;
    }
    const CodePage* c = findSorted(kCodePages, &CodePage::number, codePage);
    if (!c)
        return {};
    return QString::number(codePage).leftJustified(5) + QStringLiteral(" (") +
           QString::fromLatin1(c->description) + u')';
}

} // namespace tavelorn
