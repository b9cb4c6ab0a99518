// Language-module texts of the SubWindow's rebar: tool bar labels, field labels and list items.
// The tool bar's tooltips are the commands' own menu texts.
#pragma once

#include <cstdint>

namespace qv {

enum RebarString : uint32_t {
    kStrBarOpen = 20440,
    kStrBarSaveAs = 20441,
    kStrBarSave = 20442,
    kStrBarPrevious = 20443,
    kStrBarNext = 20444,
    kStrBarFit = 20445,
    kStrBarActualSize = 20446,
    kStrBarFullScreen = 20447,
    kStrBarViewer = 20448,
    kStrBarSelection = 20449, // the four tool groups 5105-5108
    kStrBarSize = 20450,
    kStrBarColour = 20451,
    kStrBarEffects = 20452,
    kStrBarZoom = 20453,
    kStrBarFormat = 20454,
    kStrBarFormatFirst = 20455, // 20455-20460: the formats in the order of Format 0-5
    kStrBarQuality = 20461,
    kStrBarLimitSize = 20462,
    kStrBarKilobytes = 20463,
    kStrBarLevel = 20464,
    kStrBarGamma = 20465,
    kStrBarInterlace = 20466,
    kStrBarDither = 20467,
    kStrBarProgressive = 20468,
    kStrBarExifCopy = 20469,
    kStrBarTrim = 20470,
    kStrBarPreview = 20471,
    kStrBarSampling = 20472,
    kStrBarSamplingFirst = 20473, // 20473-20475: Sampling 0-2
    kStrBarMarkers = 20476,
    kStrBarMarkersFirst = 20477, // 20477-20479: JMarker 0-2
};

} // namespace qv
