// The list's names and codes. The order is the add-item dialog's and never changes:
// "Select all countries" adds the names in this order.
#include "lists/country_names.h"

#include "platform/core/utf8_text.h"

#include <array>
#include <cstddef>

namespace kvn {
namespace {

constexpr std::array<CountryName, 220> countries = {{
    {"AF", "AFGHANISTAN"},
    {"AL", "ALBANIA"},
    {"DZ", "ALGERIA"},
    {"AS", "AMERICAN SAMOA"},
    {"AD", "ANDORRA"},
    {"AO", "ANGOLA"},
    {"AG", "ANTIGUA AND BARBUDA"},
    {"AR", "ARGENTINA"},
    {"AM", "ARMENIA"},
    {"AW", "ARUBA"},
    {"AU", "AUSTRALIA"},
    {"AT", "AUSTRIA"},
    {"AZ", "AZERBAIJAN"},
    {"BS", "BAHAMAS"},
    {"BH", "BAHRAIN"},
    {"BD", "BANGLADESH"},
    {"BB", "BARBADOS"},
    {"BY", "BELARUS"},
    {"BE", "BELGIUM"},
    {"BZ", "BELIZE"},
    {"BJ", "BENIN"},
    {"BM", "BERMUDA"},
    {"BT", "BHUTAN"},
    {"BO", "BOLIVIA"},
    {"BA", "BOSNIA AND HERZEGOVINA"},
    {"BW", "BOTSWANA"},
    {"BR", "BRAZIL"},
    {"IO", "BRITISH INDIAN OCEAN TERRITORY"},
    {"BN", "BRUNEI DARUSSALAM"},
    {"BG", "BULGARIA"},
    {"BF", "BURKINA FASO"},
    {"BI", "BURUNDI"},
    {"KH", "CAMBODIA"},
    {"CM", "CAMEROON"},
    {"CA", "CANADA"},
    {"CV", "CAPE VERDE"},
    {"KY", "CAYMAN ISLANDS"},
    {"CF", "CENTRAL AFRICAN REPUBLIC"},
    {"TD", "CHAD"},
    {"CL", "CHILE"},
    {"CN", "CHINA"},
    {"CO", "COLOMBIA"},
    {"KM", "COMOROS"},
    {"CG", "CONGO"},
    {"CK", "COOK ISLANDS"},
    {"CR", "COSTA RICA"},
    {"CI", "COTE D'IVOIRE"},
    {"HR", "CROATIA"},
    {"CU", "CUBA"},
    {"CY", "CYPRUS"},
    {"CZ", "CZECH REPUBLIC"},
    {"DK", "DENMARK"},
    {"DJ", "DJIBOUTI"},
    {"DM", "DOMINICA"},
    {"DO", "DOMINICAN REPUBLIC"},
    {"TP", "EAST TIMOR"},
    {"EC", "ECUADOR"},
    {"EG", "EGYPT"},
    {"SV", "EL SALVADOR"},
    {"GQ", "EQUATORIAL GUINEA"},
    {"ER", "ERITREA"},
    {"EE", "ESTONIA"},
    {"ET", "ETHIOPIA"},
    {"FK", "FALKLAND ISLANDS (MALVINAS)"},
    {"FO", "FAROE ISLANDS"},
    {"FM", "FEDERATED STATES OF MICRONESIA"},
    {"FJ", "FIJI"},
    {"FI", "FINLAND"},
    {"FR", "FRANCE"},
    {"PF", "FRENCH POLYNESIA"},
    {"TF", "FRENCH SOUTHERN TERRITORIES"},
    {"GA", "GABON"},
    {"GM", "GAMBIA"},
    {"GE", "GEORGIA"},
    {"DE", "GERMANY"},
    {"GH", "GHANA"},
    {"GI", "GIBRALTAR"},
    {"GR", "GREECE"},
    {"GL", "GREENLAND"},
    {"GD", "GRENADA"},
    {"GP", "GUADELOUPE"},
    {"GU", "GUAM"},
    {"GT", "GUATEMALA"},
    {"GN", "GUINEA"},
    {"GW", "GUINEA-BISSAU"},
    {"GY", "GUYANA"},
    {"HT", "HAITI"},
    {"VA", "HOLY SEE (VATICAN CITY STATE)"},
    {"HN", "HONDURAS"},
    {"HK", "HONG KONG"},
    {"HU", "HUNGARY"},
    {"IS", "ICELAND"},
    {"IN", "INDIA"},
    {"ID", "INDONESIA"},
    {"IQ", "IRAQ"},
    {"IE", "IRELAND"},
    {"IR", "ISLAMIC REPUBLIC OF IRAN"},
    {"IL", "ISRAEL"},
    {"IT", "ITALY"},
    {"JM", "JAMAICA"},
    {"JP", "JAPAN"},
    {"JO", "JORDAN"},
    {"KZ", "KAZAKHSTAN"},
    {"KE", "KENYA"},
    {"KI", "KIRIBATI"},
    {"KW", "KUWAIT"},
    {"KG", "KYRGYZSTAN"},
    {"LA", "LAO PEOPLE'S DEMOCRATIC REPUBLIC"},
    {"LV", "LATVIA"},
    {"LB", "LEBANON"},
    {"LS", "LESOTHO"},
    {"LR", "LIBERIA"},
    {"LY", "LIBYAN ARAB JAMAHIRIYA"},
    {"LI", "LIECHTENSTEIN"},
    {"LT", "LITHUANIA"},
    {"LU", "LUXEMBOURG"},
    {"MO", "MACAO"},
    {"MG", "MADAGASCAR"},
    {"MW", "MALAWI"},
    {"MY", "MALAYSIA"},
    {"MV", "MALDIVES"},
    {"ML", "MALI"},
    {"MT", "MALTA"},
    {"MH", "MARSHALL ISLANDS"},
    {"MQ", "MARTINIQUE"},
    {"MR", "MAURITANIA"},
    {"MU", "MAURITIUS"},
    {"MX", "MEXICO"},
    {"MC", "MONACO"},
    {"MN", "MONGOLIA"},
    {"MA", "MOROCCO"},
    {"MZ", "MOZAMBIQUE"},
    {"MM", "MYANMAR"},
    {"NA", "NAMIBIA"},
    {"NR", "NAURU"},
    {"NP", "NEPAL"},
    {"NL", "NETHERLANDS"},
    {"AN", "NETHERLANDS ANTILLES"},
    {"NC", "NEW CALEDONIA"},
    {"NZ", "NEW ZEALAND"},
    {"NI", "NICARAGUA"},
    {"NE", "NIGER"},
    {"NG", "NIGERIA"},
    {"MP", "NORTHERN MARIANA ISLANDS"},
    {"NO", "NORWAY"},
    {"OM", "OMAN"},
    {"PK", "PAKISTAN"},
    {"PW", "PALAU"},
    {"PS", "PALESTINIAN TERRITORY, OCCUPIED"},
    {"PA", "PANAMA"},
    {"PG", "PAPUA NEW GUINEA"},
    {"PY", "PARAGUAY"},
    {"PE", "PERU"},
    {"PH", "PHILIPPINES"},
    {"PL", "POLAND"},
    {"PT", "PORTUGAL"},
    {"PR", "PUERTO RICO"},
    {"QA", "QATAR"},
    {"KR", "REPUBLIC OF KOREA"},
    {"MD", "REPUBLIC OF MOLDOVA"},
    {"RE", "REUNION"},
    {"RO", "ROMANIA"},
    {"RU", "RUSSIAN FEDERATION"},
    {"RW", "RWANDA"},
    {"KN", "SAINT KITTS AND NEVIS"},
    {"LC", "SAINT LUCIA"},
    {"VC", "SAINT VINCENT AND THE GRENADINES"},
    {"WS", "SAMOA"},
    {"SM", "SAN MARINO"},
    {"ST", "SAO TOME AND PRINCIPE"},
    {"SA", "SAUDI ARABIA"},
    {"SN", "SENEGAL"},
    {"CS", "SERBIA AND MONTENEGRO"},
    {"SC", "SEYCHELLES"},
    {"SL", "SIERRA LEONE"},
    {"SG", "SINGAPORE"},
    {"SK", "SLOVAKIA"},
    {"SI", "SLOVENIA"},
    {"SB", "SOLOMON ISLANDS"},
    {"SO", "SOMALIA"},
    {"ZA", "SOUTH AFRICA"},
    {"ES", "SPAIN"},
    {"LK", "SRI LANKA"},
    {"SD", "SUDAN"},
    {"SR", "SURINAME"},
    {"SZ", "SWAZILAND"},
    {"SE", "SWEDEN"},
    {"CH", "SWITZERLAND"},
    {"SY", "SYRIAN ARAB REPUBLIC"},
    {"TW", "TAIWAN"},
    {"TJ", "TAJIKISTAN"},
    {"TH", "THAILAND"},
    {"CD", "THE DEMOCRATIC REPUBLIC OF THE CONGO"},
    {"MK", "THE FORMER YUGOSLAV REPUBLIC OF MACEDONIA"},
    {"TG", "TOGO"},
    {"TK", "TOKELAU"},
    {"TO", "TONGA"},
    {"TT", "TRINIDAD AND TOBAGO"},
    {"TN", "TUNISIA"},
    {"TR", "TURKEY"},
    {"TM", "TURKMENISTAN"},
    {"TC", "TURKS AND CAICOS ISLANDS"},
    {"TV", "TUVALU"},
    {"UG", "UGANDA"},
    {"UA", "UKRAINE"},
    {"AE", "UNITED ARAB EMIRATES"},
    {"GB", "UNITED KINGDOM"},
    {"TZ", "UNITED REPUBLIC OF TANZANIA"},
    {"US", "UNITED STATES"},
    {"UY", "URUGUAY"},
    {"UZ", "UZBEKISTAN"},
    {"VU", "VANUATU"},
    {"VE", "VENEZUELA"},
    {"VN", "VIET NAM"},
    {"VG", "VIRGIN ISLANDS, BRITISH"},
    {"VI", "VIRGIN ISLANDS, U.S."},
    {"EH", "WESTERN SAHARA"},
    {"YE", "YEMEN"},
    {"ZM", "ZAMBIA"},
    {"ZW", "ZIMBABWE"},
}};

// Codes of the same territory that came after the list was written.
constexpr std::array<CountryName, 5> successorCodes = {{
    {"TL", "EAST TIMOR"},
    {"RS", "SERBIA AND MONTENEGRO"},
    {"ME", "SERBIA AND MONTENEGRO"},
    {"UK", "UNITED KINGDOM"},
    {"FX", "FRANCE"},
}};

bool sameCode(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char upper = (a[i] >= 'a' && a[i] <= 'z') ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
        if (upper != b[i])
            return false;
    }
    return true;
}

} // namespace

std::span<const CountryName> countryList() { return countries; }

std::string_view countryNameForCode(std::string_view code)
{
    for (const CountryName& country : countries) {
        if (sameCode(code, country.code))
            return country.name;
    }
    for (const CountryName& country : successorCodes) {
        if (sameCode(code, country.code))
            return country.name;
    }
    return {};
}

std::string_view countryListName(std::string_view name)
{
    for (const CountryName& country : countries) {
        if (equalsIgnoringCase(country.name, name))
            return country.name;
    }
    return {};
}

} // namespace kvn
