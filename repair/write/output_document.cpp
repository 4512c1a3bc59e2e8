#include "repair/write/output_document.h"

namespace lurendo {

namespace {

#define GPX_NS "http://www.topografix.com/GPX/1/1"
#define XSI_NS "http://www.w3.org/2001/XMLSchema-instance"
#define STYLE_NS "http://www.topografix.com/GPX/gpx_style/0/2"
#define GPXX_NS "http://www.garmin.com/xmlschemas/GpxExtensions/v3"

// The attribute values are double-quoted in the file; the texts here are already written that way.
constexpr std::array<std::string_view, 14> kHeader = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>",
    "<gpx xmlns=\"" GPX_NS
    "\" creator=\"G7ToWin A.00.200f - May  6 2007 10:55\" version=\"1.1\" xmlns:xsi=\"" XSI_NS
    "\" xsi:schemaLocation=\"" GPX_NS " " GPX_NS "/gpx.xsd\">",
    "  <trk>",
    "    <name>ACTIVE LOG</name>",
    "    <type>Track black</type>",
    "    <extensions>",
    "      <line xmlns=\"" STYLE_NS "\">",
    "        <color>000000</color>",
    "      </line>",
    "      <gpxx:TrackExtension xmlns:gpxx=\"" GPXX_NS "\" xmlns:xsi=\"" XSI_NS
    "\" xsi:schemaLocation=\"" GPXX_NS " http://www.garmin.com/xmlschemas/GpxExtensionsv3.xsd\">",
    "        <gpxx:DisplayColor>Black</gpxx:DisplayColor>",
    "      </gpxx:TrackExtension>",
    "    </extensions>",
    "    <trkseg>",
};

constexpr std::array<std::string_view, 3> kFooter = {
    "   </trkseg>",
    " </trk>",
    "</gpx>",
};

}  // namespace

const std::array<std::string_view, 14>& header_lines() {
    return kHeader;
}
const std::array<std::string_view, 3>& footer_lines() {
    return kFooter;
}

}  // namespace lurendo
