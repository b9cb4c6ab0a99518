// The window class names of the program. Other instances find each other by the first two, and the
// end-to-end tests find the windows by them.
#pragma once

namespace qv {

constexpr const wchar_t* kViewWindowClass = L"Quorvel_vwin_class";
constexpr const wchar_t* kSubWindowClass = L"Quorvel_swin_class";
constexpr const wchar_t* kToolBarHostClass = L"Quorvel_vbarbs_class";
constexpr const wchar_t* kListWindowClass = L"Quorvel_list_class";
constexpr const wchar_t* kHistoryWindowClass = L"Quorvel_hisw_class";
constexpr const wchar_t* kPane1Class = L"Quorvel_sch1_class";
constexpr const wchar_t* kPane2Class = L"Quorvel_sch2_class";
constexpr const wchar_t* kNavigatorClass = L"Quorvel_navi_class";
constexpr const wchar_t* kColourBoxClass = L"color_box";
// The message-only window of an open tool's preview worker, registered while the tool is open.
constexpr const wchar_t* kToolWorkerClass = L"Quorvel_iudt_class";
// The histogram window of the levels tool and of command 5111, and its bar control.
constexpr const wchar_t* kHistogramWindowClass = L"Quorvel_hgmp_class";
constexpr const wchar_t* kHistogramControlClass = L"Quorvel_hgmc_class";
constexpr const wchar_t* kPrintPreviewClass = L"Quorvel_prtp_class"; // the print dialog's page

} // namespace qv
