#pragma once

#include <cstdint>

// Constants of Android's resource chunk format (frameworks/base
// libs/androidfw/ResourceTypes.h), shared by the readers and the writers.
namespace qvpc::boxsim::res {

inline constexpr uint16_t kStringPoolType = 0x0001;
inline constexpr uint16_t kTableType = 0x0002;
inline constexpr uint16_t kXmlType = 0x0003;
inline constexpr uint16_t kXmlStartNamespaceType = 0x0100;
inline constexpr uint16_t kXmlEndNamespaceType = 0x0101;
inline constexpr uint16_t kXmlStartElementType = 0x0102;
inline constexpr uint16_t kXmlEndElementType = 0x0103;
inline constexpr uint16_t kXmlResourceMapType = 0x0180;
inline constexpr uint16_t kTablePackageType = 0x0200;
inline constexpr uint16_t kTableTypeType = 0x0201;
inline constexpr uint16_t kTableTypeSpecType = 0x0202;

inline constexpr uint32_t kUtf8Flag = 0x100;
inline constexpr uint32_t kNoIndex = 0xffffffff;

// Res_value data types.
inline constexpr uint8_t kTypeNull = 0x00;
inline constexpr uint8_t kTypeReference = 0x01;
inline constexpr uint8_t kTypeString = 0x03;
inline constexpr uint8_t kTypeIntDec = 0x10;
inline constexpr uint8_t kTypeIntHex = 0x11;
inline constexpr uint8_t kTypeIntBoolean = 0x12;

// Attribute resource ids of the android namespace.
inline constexpr uint32_t kAttrLabel = 0x01010001;
inline constexpr uint32_t kAttrIcon = 0x01010002;
inline constexpr uint32_t kAttrName = 0x01010003;
inline constexpr uint32_t kAttrMinSdkVersion = 0x0101020c;
inline constexpr uint32_t kAttrVersionCode = 0x0101021b;
inline constexpr uint32_t kAttrVersionName = 0x0101021c;
inline constexpr uint32_t kAttrTargetSdkVersion = 0x01010270;

inline constexpr const char* kAndroidNamespace = "http://schemas.android.com/apk/res/android";

}  // namespace qvpc::boxsim::res
