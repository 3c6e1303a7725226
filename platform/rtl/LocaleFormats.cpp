// The national formats of the common locale ids; everything else reads as 0x409.
#include "platform/rtl/LocaleFormats.h"

#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

#define EN_NAMES                                                                                \
  {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},         \
  {"January", "February", "March", "April", "May", "June", "July", "August", "September",      \
   "October", "November", "December"},                                                          \
  {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},                                            \
  {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}
// Narrow text is in code page 1252: "\xE4" is a-umlaut.
#define DE_NAMES                                                                                \
  {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},      \
  {"Januar", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September",      \
   "Oktober", "November", "Dezember"},                                                          \
  {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},                                                   \
  {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"}
#define FR_NAMES                                                                                \
  {"janv.", "f\xE9vr.", "mars", "avr.", "mai", "juin", "juil.", "ao\xFBt", "sept.", "oct.",    \
   "nov.", "d\xE9" "c."},                                                                       \
  {"janvier", "f\xE9vrier", "mars", "avril", "mai", "juin", "juillet", "ao\xFBt", "septembre", \
   "octobre", "novembre", "d\xE9" "cembre"},                                                    \
  {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."},                                     \
  {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"}

const TLocaleFormats kFormats[] = {
    {0x409, "en_US", '.', ',', '/', ':', "m/d/yyyy", "h:nn:ss AMPM", "AM", "PM", EN_NAMES},
    {0x809, "en_GB", '.', ',', '/', ':', "dd/mm/yyyy", "hh:nn:ss", "", "", EN_NAMES},
    {0xC09, "en_AU", '.', ',', '/', ':', "d/mm/yyyy", "h:nn:ss AMPM", "AM", "PM", EN_NAMES},
    {0x1009, "en_CA", '.', ',', '/', ':', "dd/mm/yyyy", "h:nn:ss AMPM", "AM", "PM", EN_NAMES},
    {0x407, "de_DE", ',', '.', '.', ':', "dd.mm.yyyy", "hh:nn:ss", "", "", DE_NAMES},
    {0xC07, "de_AT", ',', '.', '.', ':', "dd.mm.yyyy", "hh:nn:ss", "", "", DE_NAMES},
    {0x807, "de_CH", '.', '\'', '.', ':', "dd.mm.yyyy", "hh:nn:ss", "", "", DE_NAMES},
    {0x40C, "fr_FR", ',', '\xA0', '/', ':', "dd/mm/yyyy", "hh:nn:ss", "", "", FR_NAMES},
    {0x80C, "fr_BE", ',', '.', '/', ':', "dd/mm/yyyy", "hh:nn:ss", "", "", FR_NAMES},
    {0x100C, "fr_CH", '.', '\'', '.', ':', "dd.mm.yyyy", "hh:nn:ss", "", "", FR_NAMES},
    {0x410, "it_IT", ',', '.', '/', ':', "dd/mm/yyyy", "hh:nn:ss", "", "", EN_NAMES},
    {0xC0A, "es_ES", ',', '.', '/', ':', "dd/mm/yyyy", "hh:nn:ss", "", "", EN_NAMES},
    {0x413, "nl_NL", ',', '.', '-', ':', "d-m-yyyy", "hh:nn:ss", "", "", EN_NAMES},
};

}  // namespace

const TLocaleFormats& LocaleFormatsFor(Cardinal lcid) {
  for (const auto& f : kFormats)
    if (f.Lcid == lcid) return f;
  return kFormats[0];
}

const TLocaleFormats& CurrentLocaleFormats() { return LocaleFormatsFor(NlsSettings().UserLCID); }

}  // namespace orv
