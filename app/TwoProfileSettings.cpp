// Setting the two-profile settings aside and putting them back.
#include "app/TwoProfileSettings.h"

namespace kestrel {

TwoProfileSettings twoProfileSettingsOf(const SettingsFields& fields) {
    return {fields.FromRowStr, fields.ToRowStr, fields.AgeColStr,
            fields.Y1ColStr,   fields.Y2ColStr, fields.AgeWindowWidthStr,
            fields.FromRow,    fields.ToRow,    fields.AgeCol,
            fields.Y1Col,      fields.Y2Col,    fields.AgeWindowWidth};
}

void restoreTwoProfileSettings(const TwoProfileSettings& settings, SettingsFields& fields) {
    fields.FromRowStr = settings.FromRowStr;
    fields.ToRowStr = settings.ToRowStr;
    fields.AgeColStr = settings.AgeColStr;
    fields.Y1ColStr = settings.Y1ColStr;
    fields.Y2ColStr = settings.Y2ColStr;
    fields.AgeWindowWidthStr = settings.AgeWindowWidthStr;
    fields.FromRow = settings.FromRow;
    fields.ToRow = settings.ToRow;
    fields.AgeCol = settings.AgeCol;
    fields.Y1Col = settings.Y1Col;
    fields.Y2Col = settings.Y2Col;
    fields.AgeWindowWidth = settings.AgeWindowWidth;
}

}  // namespace kestrel
