// The EXIF image-information record: 62 items read from IFD0 and the EXIF IFD, each formatted as
// the information list shows it. Numbers are truncated, never rounded.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "codecs/exif.h"
#include "platform/platform.h"

namespace qv {

namespace {

constexpr uint32_t kMaxTextBytes = 259;
constexpr uint16_t kTagExifIfd = 34665;
constexpr uint16_t kTagGpsIfd = 34853;

enum : uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSRational = 10, kUndefined = 7 };

// String numbers of the enumerated values and units (the language module's).
enum : uint32_t {
    kStrOrientation = 50199,
    kStrResolutionUnit = 50208,
    kStrYCbCrPositioning = 50219,
    kStrSeconds = 50230,
    kStrExposureProgram = 50240,
    kStrSensitivityType = 50250,
    kStrBrightnessUnknown = 50260,
    kStrDistanceZero = 50270,
    kStrDistanceInfinite = 50271,
    kStrMeteringMode = 50280,
    kStrMeteringOther = 50287,
    kStrLightSource = 50290,
    kStrLightOther = 50315,
    kStrFlashFired = 50320,
    kStrFlashNotFired = 50321,
    kStrFlashReturnBoth = 50322,
    kStrFlashReturnBit3 = 50323,
    kStrFlashReturnBit4 = 50324,
    kStrFlashReturnNone = 50325,
    kStrFlashRedEye = 50326,
    kStrSensingMethod = 50329,
    kStrFileSource = 50340,
    kStrSceneTypeDirect = 50350,
    kStrCustomRendered = 50360,
    kStrExposureMode = 50370,
    kStrWhiteBalance = 50380,
    kStrZoomNone = 50390,
    kStrSceneCapture = 50400,
    kStrGainControl = 50410,
    kStrContrast = 50420,
    kStrSaturation = 50430,
    kStrSharpness = 50440,
    kStrDistanceRange = 50450,
    kStr35mmUnknown = 50460,
    kStr35mmLabel = 50461,
};

// Item numbers of the record.
enum Item : int {
    kMake,
    kModel,
    kLensMake,
    kLensModel,
    kLensSpec,
    kSoftware,
    kDateTime,
    kDateTimeOriginal,
    kDateTimeDigitized,
    kOrientation,
    kExposureTime,
    kFNumber,
    kShutterSpeed,
    kAperture,
    kBrightness,
    kExposureBias,
    kMaxAperture,
    kExposureProgram,
    kSceneCaptureType,
    kExposureMode,
    kExposureIndex,
    kSpectralSensitivity,
    kIso,
    kMeteringMode,
    kLightSource,
    kFlash,
    kFlashEnergy,
    kFocalLength,
    kDigitalZoom,
    kSubjectDistance,
    kSubjectDistanceRange,
    kSubjectArea,
    kSubjectLocation,
    kWhiteBalance,
    kCustomRendered,
    kGainControl,
    kContrast,
    kSaturation,
    kSharpness,
    kColorSpace,
    kGamma,
    kYCbCrPositioning,
    kComponents,
    kCompressedBpp,
    kPixelSize,
    kResolution,
    kFocalPlaneRes,
    kSensingMethod,
    kFileSource,
    kSceneType,
    kImageDescription,
    kUserComment,
    kArtist,
    kCopyright,
    kCameraOwner,
    kBodySerial,
    kLensSerial,
    kImageUniqueId,
    kExifVersion,
    kFlashpixVersion,
    kGpsPointer,
    kNextIfd,
};
static_assert(kNextIfd == kExifInfoItems - 1);

struct TextTag {
    uint16_t tag;
    int item;
};
constexpr TextTag kTextTags[] = {
    {271, kMake},
    {272, kModel},
    {42035, kLensMake},
    {42036, kLensModel},
    {305, kSoftware},
    {306, kDateTime},
    {36867, kDateTimeOriginal},
    {36868, kDateTimeDigitized},
    {34852, kSpectralSensitivity},
    {270, kImageDescription},
    {315, kArtist},
    {33432, kCopyright},
    {42032, kCameraOwner},
    {42033, kBodySerial},
    {42037, kLensSerial},
    {42016, kImageUniqueId},
    {36864, kExifVersion},
    {40960, kFlashpixVersion},
};

// An enumerated tag: string base + value for values in [low, high].
struct EnumTag {
    uint16_t tag;
    int item;
    uint32_t base;
    uint32_t low, high;
};
constexpr EnumTag kEnumTags[] = {
    {274, kOrientation, kStrOrientation, 1, 8},
    {34850, kExposureProgram, kStrExposureProgram, 0, 8},
    {41990, kSceneCaptureType, kStrSceneCapture, 0, 2},
    {41986, kExposureMode, kStrExposureMode, 0, 2},
    {41996, kSubjectDistanceRange, kStrDistanceRange, 0, 3},
    {41987, kWhiteBalance, kStrWhiteBalance, 0, 1},
    {41985, kCustomRendered, kStrCustomRendered, 0, 1},
    {41991, kGainControl, kStrGainControl, 0, 4},
    {41992, kContrast, kStrContrast, 0, 2},
    {41993, kSaturation, kStrSaturation, 0, 2},
    {41994, kSharpness, kStrSharpness, 0, 2},
    {531, kYCbCrPositioning, kStrYCbCrPositioning, 1, 2},
    {41728, kFileSource, kStrFileSource, 0, 3},
};

// Values collected during the walk whose text depends on more than one tag.
struct Pending {
    std::wstring subsec[3];
    bool haveIso = false;
    uint32_t iso = 0;
    int32_t sensitivityType = -1;
    bool haveLong[3] = {};
    uint32_t longValue[3] = {}; // 34865, 34866, 34867
    bool haveFocal35 = false;
    uint32_t focal35 = 0;
    bool havePixel[2] = {};
    uint32_t pixel[2] = {};
    bool haveRes[2][2] = {};
    std::wstring res[2][2];
    bool haveUnit[2] = {};
    uint32_t unit[2] = {};
    bool haveExifPointer = false;
    uint32_t exifPointer = 0;
};

struct Reader {
    const TiffView& tiff;
    ExifInfo* info;
    ExifStringLookup lookup;
    Pending pending;

    std::wstring Str(uint32_t id) const { return lookup(id); }
    void Set(int item, const std::wstring& value) {
        info->items[item].present = true;
        info->items[item].value = value;
    }

    bool Unsigned(const IfdEntry& e, uint32_t index, uint32_t* value) const {
        if (!e.valueInside || index >= e.count) return false;
        uint32_t size = TiffTypeSize(e.type);
        uint32_t off = e.valueOffset + index * size;
        switch (e.type) {
        case 1:
        case 6:
        case kUndefined:
            if (!tiff.Inside(off, 1)) return false;
            *value = tiff.base[off];
            return true;
        case kShort:
        case 8: {
            uint16_t v = 0;
            if (!tiff.Read16(off, &v)) return false;
            *value = v;
            return true;
        }
        case kLong:
        case 9: return tiff.Read32(off, value);
        default: return false;
        }
    }
    // A rational as numerator and denominator, signed when the type is SRATIONAL.
    bool Rational(const IfdEntry& e, uint32_t index, int64_t* num, int64_t* den) const {
        if (!e.valueInside || index >= e.count || (e.type != kRational && e.type != kSRational)) return false;
        uint32_t n = 0, d = 0;
        if (!tiff.Read32(e.valueOffset + index * 8, &n) || !tiff.Read32(e.valueOffset + index * 8 + 4, &d))
            return false;
        if (e.type == kSRational) {
            *num = static_cast<int32_t>(n);
            *den = static_cast<int32_t>(d);
        } else {
            *num = n;
            *den = d;
        }
        return true;
    }
    bool Text(const IfdEntry& e, std::wstring* text) const {
        if (!e.valueInside || (e.type != kAscii && e.type != kUndefined) || e.count == 0) return false;
        uint32_t n = e.count < kMaxTextBytes ? e.count : kMaxTextBytes;
        const uint8_t* bytes = tiff.base + e.valueOffset;
        uint32_t length = 0;
        while (length < n && bytes[length] != 0)
            ++length;
        // cameras write their texts in the ANSI page of the system they were sold for
        *text = AnsiToWide(bytes, length);
        return true;
    }
};

// num / den truncated to `decimals`; false when den is 0.
bool Fixed(int64_t num, int64_t den, int decimals, bool plus, std::wstring* out) {
    if (den == 0) return false;
    bool negative = (num < 0) != (den < 0);
    uint64_t n = static_cast<uint64_t>(num < 0 ? -num : num), d = static_cast<uint64_t>(den < 0 ? -den : den);
    std::wstring digits = std::to_wstring(n / d);
    uint64_t rem = n % d;
    bool nonZero = n / d != 0;
    if (decimals > 0) {
        digits.push_back(L'.');
        for (int i = 0; i < decimals; ++i) {
            rem *= 10;
            digits.push_back(static_cast<wchar_t>(L'0' + rem / d));
            nonZero = nonZero || rem / d != 0;
            rem %= d;
        }
    }
    *out = (negative && nonZero) ? L"-" + digits : (plus ? L"+" + digits : digits);
    return true;
}

std::wstring FixedDouble(double v, int decimals) {
    double scale = std::pow(10.0, decimals);
    double scaled = std::floor(std::fabs(v) * scale * (1 + 1e-12));
    if (!(scaled < 9e15)) return L"?";
    std::wstring s;
    Fixed(static_cast<int64_t>(v < 0 ? -scaled : scaled), static_cast<int64_t>(scale), decimals, false, &s);
    return s;
}

std::wstring Number(uint32_t v) {
    return std::to_wstring(v);
}

std::wstring Hex32(uint32_t v) {
    wchar_t buf[16];
    std::swprintf(buf, 16, L"0x%08X", v);
    return buf;
}

// ApertureValue and MaxApertureValue: "v Av (Fn)", n = sqrt(2)^v.
bool ApexAperture(Reader& r, const IfdEntry& e, std::wstring* out) {
    int64_t n, d;
    std::wstring v;
    if (!r.Rational(e, 0, &n, &d) || !Fixed(n, d, 2, false, &v)) return false;
    double f = std::pow(std::sqrt(2.0), static_cast<double>(n) / static_cast<double>(d));
    *out = v + L" Av (F" + FixedDouble(f, 2) + L")";
    return true;
}

void HandleEntry(Reader& r, const IfdEntry& e, bool inIfd0) {
    for (const TextTag& t : kTextTags) {
        if (t.tag != e.tag) continue;
        std::wstring text;
        if (r.Text(e, &text)) r.Set(t.item, text);
        return;
    }
    for (const EnumTag& t : kEnumTags) {
        if (t.tag != e.tag) continue;
        uint32_t v = 0;
        if (r.Unsigned(e, 0, &v) && v >= t.low && v <= t.high) r.Set(t.item, r.Str(t.base + v));
        return;
    }
    int64_t n = 0, d = 0;
    uint32_t v = 0;
    std::wstring s, s2;
    switch (e.tag) {
    case 37520:
    case 37521:
    case 37522: r.Text(e, &r.pending.subsec[e.tag - 37520]); break;
    case 42034: { // LensSpecification
        int64_t q[8];
        bool ok = true;
        for (int i = 0; i < 4 && ok; ++i)
            ok = r.Rational(e, i, &q[2 * i], &q[2 * i + 1]) && q[2 * i + 1] != 0;
        std::wstring a, b, c, dd;
        if (ok && Fixed(q[0], q[1], 0, false, &a) && Fixed(q[2], q[3], 0, false, &b) &&
            Fixed(q[4], q[5], 1, false, &c) && Fixed(q[6], q[7], 1, false, &dd))
            r.Set(kLensSpec, a + L" - " + b + L" mm (F" + c + L" - " + dd + L")");
        break;
    }
    case 33434: // ExposureTime
        if (r.Rational(e, 0, &n, &d) && n > 0 && d > 0) {
            bool ok = n < d ? Fixed(d, n, d % n ? 1 : 0, false, &s) : Fixed(n, d, n % d ? 1 : 0, false, &s);
            if (ok) r.Set(kExposureTime, (n < d ? L"1/" : L"") + s + L" " + r.Str(kStrSeconds));
        }
        break;
    case 33437: // FNumber
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 1, false, &s)) r.Set(kFNumber, L"F" + s);
        break;
    case 37377: // ShutterSpeedValue
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 2, false, &s)) {
            double t = std::pow(2.0, -static_cast<double>(n) / static_cast<double>(d));
            double shown = t < 1 ? 1 / t : t;
            // Whole values such as 1/250 show without decimals.
            bool whole = std::fabs(shown - std::round(shown)) < 1e-6;
            s += L" Tv (";
            if (t < 1) s += L"1/";
            s += FixedDouble(whole ? std::round(shown) : shown, whole ? 0 : 2) + L" " + r.Str(kStrSeconds) + L")";
            r.Set(kShutterSpeed, s);
        }
        break;
    case 37378:
        if (ApexAperture(r, e, &s)) r.Set(kAperture, s);
        break;
    case 37381:
        if (ApexAperture(r, e, &s)) r.Set(kMaxAperture, s);
        break;
    case 37379: // BrightnessValue
        if (r.Rational(e, 0, &n, &d)) {
            if (n == -1 || (e.type == kRational && n == 0xFFFFFFFF))
                r.Set(kBrightness, r.Str(kStrBrightnessUnknown));
            else if (Fixed(n, d, 2, false, &s))
                r.Set(kBrightness, s + L" Bv");
        }
        break;
    case 37380: // ExposureBiasValue
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 2, true, &s)) r.Set(kExposureBias, s + L" Ev");
        break;
    case 41493:
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 0, false, &s)) r.Set(kExposureIndex, s);
        break;
    case 34855:
        if (!r.pending.haveIso && r.Unsigned(e, 0, &v)) r.pending.haveIso = true, r.pending.iso = v;
        break;
    case 34864:
        if (r.Unsigned(e, 0, &v) && v <= 7) r.pending.sensitivityType = static_cast<int32_t>(v);
        break;
    case 34865:
    case 34866:
    case 34867:
        if (r.Unsigned(e, 0, &v)) r.pending.haveLong[e.tag - 34865] = true, r.pending.longValue[e.tag - 34865] = v;
        break;
    case 37383: // MeteringMode
        if (r.Unsigned(e, 0, &v)) {
            if (v <= 6)
                r.Set(kMeteringMode, r.Str(kStrMeteringMode + v));
            else if (v == 255)
                r.Set(kMeteringMode, r.Str(kStrMeteringOther));
        }
        break;
    case 37384: // LightSource
        if (r.Unsigned(e, 0, &v)) {
            if (v <= 4 || (v >= 9 && v <= 24))
                r.Set(kLightSource, r.Str(kStrLightSource + v));
            else if (v == 255)
                r.Set(kLightSource, r.Str(kStrLightOther));
        }
        break;
    case 37385: // Flash
        if (r.Unsigned(e, 0, &v)) {
            bool b3 = v & 8, b4 = v & 16;
            s = r.Str(v & 1 ? kStrFlashFired : kStrFlashNotFired) + L", " +
                r.Str(b3 && b4 ? kStrFlashReturnBoth
                      : b3     ? kStrFlashReturnBit3
                      : b4     ? kStrFlashReturnBit4
                               : kStrFlashReturnNone);
            if ((v & 1) && (v & 64)) s += L", " + r.Str(kStrFlashRedEye);
            r.Set(kFlash, s);
        }
        break;
    case 41483:
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 0, false, &s)) r.Set(kFlashEnergy, s + L" BCPS");
        break;
    case 37386:
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 1, false, &s)) r.Set(kFocalLength, s + L" mm");
        break;
    case 41989:
        if (r.Unsigned(e, 0, &v)) r.pending.haveFocal35 = true, r.pending.focal35 = v;
        break;
    case 41988: // DigitalZoomRatio
        if (r.Rational(e, 0, &n, &d)) {
            if (n == 0)
                r.Set(kDigitalZoom, r.Str(kStrZoomNone));
            else if (Fixed(n, d, 2, false, &s))
                r.Set(kDigitalZoom, s);
        }
        break;
    case 37382: // SubjectDistance
        if (r.Rational(e, 0, &n, &d)) {
            if (n == 0)
                r.Set(kSubjectDistance, r.Str(kStrDistanceZero));
            else if (n == 0xFFFFFFFF || n == -1)
                r.Set(kSubjectDistance, r.Str(kStrDistanceInfinite));
            else if (Fixed(n, d, 2, false, &s))
                r.Set(kSubjectDistance, s + L" m");
        }
        break;
    case 37396: { // SubjectArea
        uint32_t a[4];
        if (e.count < 2 || e.count > 4) break;
        for (uint32_t i = 0; i < e.count; ++i)
            if (!r.Unsigned(e, i, &a[i])) return;
        s = L"x:" + Number(a[0]) + L", y:" + Number(a[1]);
        if (e.count == 3) s += L", d:" + Number(a[2]);
        if (e.count == 4) s += L", w:" + Number(a[2]) + L", h:" + Number(a[3]);
        r.Set(kSubjectArea, s);
        break;
    }
    case 41492: { // SubjectLocation
        uint32_t x = 0, y = 0;
        if (r.Unsigned(e, 0, &x) && r.Unsigned(e, 1, &y))
            r.Set(kSubjectLocation, L"x:" + Number(x) + L", y:" + Number(y));
        break;
    }
    case 40961: // ColorSpace
        if (r.Unsigned(e, 0, &v)) {
            if (v == 1)
                r.Set(kColorSpace, L"sRGB");
            else if (v == 65535)
                r.Set(kColorSpace, L"Uncalibrated");
        }
        break;
    case 42240:
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 3, false, &s)) r.Set(kGamma, s);
        break;
    case 37121: { // ComponentsConfiguration
        static const wchar_t* const names[] = {L"", L"Y", L"Cb", L"Cr", L"R", L"G", L"B"};
        if (e.count < 4 || !e.valueInside) break;
        for (uint32_t i = 0; i < 4; ++i)
            if (r.Unsigned(e, i, &v) && v <= 6) s += names[v];
        r.Set(kComponents, s);
        break;
    }
    case 37122:
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 0, false, &s)) r.Set(kCompressedBpp, s + L" bits/pixel");
        break;
    case 40962:
    case 40963:
        if (r.Unsigned(e, 0, &v)) r.pending.havePixel[e.tag - 40962] = true, r.pending.pixel[e.tag - 40962] = v;
        break;
    case 282:
    case 283:
    case 41486:
    case 41487: {
        int set = e.tag >= 41486 ? 1 : 0, axis = e.tag == 283 || e.tag == 41487 ? 1 : 0;
        if (r.Rational(e, 0, &n, &d) && Fixed(n, d, 0, false, &r.pending.res[set][axis]))
            r.pending.haveRes[set][axis] = true;
        break;
    }
    case 296:
    case 41488:
        if (r.Unsigned(e, 0, &v)) r.pending.haveUnit[e.tag == 41488] = true, r.pending.unit[e.tag == 41488] = v;
        break;
    case 41495: // SensingMethod
        if (r.Unsigned(e, 0, &v) && ((v >= 1 && v <= 5) || v == 7 || v == 8))
            r.Set(kSensingMethod, r.Str(kStrSensingMethod + v));
        break;
    case 41729:
        if (r.Unsigned(e, 0, &v) && v == 1) r.Set(kSceneType, r.Str(kStrSceneTypeDirect));
        break;
    case 37510: // UserComment: the character code and the size of the text
        if (e.count >= 8 && e.valueInside) {
            const uint8_t* p = r.tiff.base + e.valueOffset;
            if (p[0] == 0)
                s = L"Undefined";
            else
                for (int i = 0; i < 8 && p[i]; ++i)
                    s.push_back(static_cast<wchar_t>(p[i]));
            r.Set(kUserComment, s + L" " + Number(e.count - 8) + L" bytes");
        }
        break;
    case kTagGpsIfd:
        if (r.tiff.Read32(e.entryOffset + 8, &v)) r.Set(kGpsPointer, Hex32(v));
        break;
    case kTagExifIfd:
        if (inIfd0 && r.tiff.Read32(e.entryOffset + 8, &v)) r.pending.haveExifPointer = true, r.pending.exifPointer = v;
        break;
    default: break;
    }
}

void Compose(Reader& r) {
    Pending& p = r.pending;
    const int dates[3] = {kDateTime, kDateTimeOriginal, kDateTimeDigitized};
    for (int i = 0; i < 3; ++i) {
        ExifInfoItem& item = r.info->items[dates[i]];
        if (item.present && !p.subsec[i].empty()) item.value += L" (subsec:" + p.subsec[i] + L")";
    }
    if (p.haveIso) {
        std::wstring s = Number(p.iso);
        if (p.sensitivityType >= 0) {
            int t = p.sensitivityType;
            if (p.iso == 65535) {
                // The ISO field is saturated: the LONG tag that the sensitivity type names holds it.
                static const bool uses[3][8] = {
                    {0, 1, 0, 0, 1, 1, 0, 1}, {0, 0, 1, 0, 1, 0, 1, 1}, {0, 0, 0, 1, 0, 1, 1, 1}};
                for (int k = 0; k < 3; ++k) {
                    if (uses[k][t] && p.haveLong[k]) {
                        s = Number(p.longValue[k]);
                        break;
                    }
                }
            }
            s += L" " + r.Str(kStrSensitivityType + t);
        }
        r.Set(kIso, s);
    }
    if (r.info->items[kFocalLength].present && p.haveFocal35) {
        r.info->items[kFocalLength].value += L" (" + r.Str(kStr35mmLabel) + L": " +
                                             (p.focal35 ? Number(p.focal35) + L" mm" : r.Str(kStr35mmUnknown)) + L")";
    }
    if (p.havePixel[0] || p.havePixel[1]) {
        std::wstring s = p.havePixel[0] ? Number(p.pixel[0]) : L"";
        if (p.havePixel[0] && p.havePixel[1]) s += L", ";
        if (p.havePixel[1]) s += Number(p.pixel[1]);
        r.Set(kPixelSize, s);
    }
    for (int set = 0; set < 2; ++set) {
        if (!p.haveRes[set][0] && !p.haveRes[set][1]) continue;
        std::wstring s = p.haveRes[set][0] ? p.res[set][0] : L"";
        if (p.haveRes[set][0] && p.haveRes[set][1]) s += L", ";
        if (p.haveRes[set][1]) s += p.res[set][1];
        if (p.haveUnit[set] && (p.unit[set] == 2 || p.unit[set] == 3))
            s += L" " + r.Str(kStrResolutionUnit + p.unit[set]);
        r.Set(set ? kFocalPlaneRes : kResolution, s);
    }
}

} // namespace

bool ReadExifInfo(const uint8_t* data, uint32_t size, ExifInfo* info, ExifStringLookup lookup) {
    *info = ExifInfo();
    MarkerWalkResult walk = WalkJpegMarkers(data, size, true);
    if (!walk.exif.found) return false;
    Reader r{walk.exif.tiff, info, lookup ? lookup : ExifEnglishString, {}};
    uint32_t next = 0;
    WalkIfd(
        r.tiff, walk.exif.ifd0,
        [&](const IfdEntry& e) {
            HandleEntry(r, e, true);
            return true;
        },
        &next);
    if (next) r.Set(kNextIfd, Hex32(next));
    // The EXIF IFD is read with the same table; it is followed from IFD0 only, so a pointer back
    // to IFD0 or to itself cannot loop.
    if (r.pending.haveExifPointer) {
        WalkIfd(
            r.tiff, r.pending.exifPointer,
            [&](const IfdEntry& e) {
                HandleEntry(r, e, false);
                return true;
            },
            nullptr);
    }
    Compose(r);
    return r.pending.haveExifPointer;
}

} // namespace qv
