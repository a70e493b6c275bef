// OpenGL enumerant values that the image readers report. They are spelled
// out here so that the readers need no GL header; the upload code checks
// them against the GL's own definitions.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kGlUnsignedByte = 0x1401;
inline constexpr std::uint32_t kGlUnsignedShort565 = 0x8363;
inline constexpr std::uint32_t kGlUnsignedShort4444Rev = 0x8365;
inline constexpr std::uint32_t kGlUnsignedShort1555Rev = 0x8366;
inline constexpr std::uint32_t kGlRed = 0x1903;
inline constexpr std::uint32_t kGlRg = 0x8227;
inline constexpr std::uint32_t kGlLuminance = 0x1909;
inline constexpr std::uint32_t kGlLuminanceAlpha = 0x190A;
inline constexpr std::uint32_t kGlLuminance8 = 0x8040;
inline constexpr std::uint32_t kGlLuminance8Alpha8 = 0x8045;
inline constexpr std::uint32_t kGlR8 = 0x8229;
inline constexpr std::uint32_t kGlRg8 = 0x822B;
inline constexpr std::uint32_t kGlRgb = 0x1907;
inline constexpr std::uint32_t kGlRgba = 0x1908;
inline constexpr std::uint32_t kGlRgb5 = 0x8050;
inline constexpr std::uint32_t kGlRgb565 = 0x8D62;
inline constexpr std::uint32_t kGlRgba4 = 0x8056;
inline constexpr std::uint32_t kGlRgb5A1 = 0x8057;
inline constexpr std::uint32_t kGlRgb8 = 0x8051;
inline constexpr std::uint32_t kGlRgba8 = 0x8058;
inline constexpr std::uint32_t kGlSrgb8 = 0x8C41;
inline constexpr std::uint32_t kGlSrgb8Alpha8 = 0x8C43;
inline constexpr std::uint32_t kGlBgr = 0x80E0;
inline constexpr std::uint32_t kGlBgra = 0x80E1;
inline constexpr std::uint32_t kGlCompressedLuminance = 0x84EA;
inline constexpr std::uint32_t kGlCompressedRgb = 0x84ED;
inline constexpr std::uint32_t kGlCompressedRgba = 0x84EE;
inline constexpr std::uint32_t kGlCompressedRgbaDxt1 = 0x83F1;
inline constexpr std::uint32_t kGlCompressedRgbaDxt3 = 0x83F2;
inline constexpr std::uint32_t kGlCompressedRgbaDxt5 = 0x83F3;
inline constexpr std::uint32_t kGlCompressedSrgbAlphaDxt1 = 0x8C4D;
inline constexpr std::uint32_t kGlCompressedSrgbAlphaDxt3 = 0x8C4E;
inline constexpr std::uint32_t kGlCompressedSrgbAlphaDxt5 = 0x8C4F;
inline constexpr std::uint32_t kGlCompressedRedRgtc1 = 0x8DBB;
inline constexpr std::uint32_t kGlCompressedSignedRedRgtc1 = 0x8DBC;
inline constexpr std::uint32_t kGlCompressedRgRgtc2 = 0x8DBD;
inline constexpr std::uint32_t kGlCompressedSignedRgRgtc2 = 0x8DBE;
inline constexpr std::uint32_t kGlCompressedRgbaBptcUnorm = 0x8E8C;
inline constexpr std::uint32_t kGlCompressedSrgbAlphaBptcUnorm = 0x8E8D;
inline constexpr std::uint32_t kGlCompressedRgbBptcSignedFloat = 0x8E8E;
inline constexpr std::uint32_t kGlCompressedRgbBptcUnsignedFloat = 0x8E8F;
