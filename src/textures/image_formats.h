// OpenGL enumerant values that the image readers report. They are spelled
// out here so that the readers need no GL header; the upload code checks
// them against the GL's own definitions.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kGlUnsignedByte = 0x1401;
inline constexpr std::uint32_t kGlLuminance = 0x1909;
inline constexpr std::uint32_t kGlLuminance8 = 0x8040;
inline constexpr std::uint32_t kGlRgb = 0x1907;
inline constexpr std::uint32_t kGlRgba = 0x1908;
inline constexpr std::uint32_t kGlRgb8 = 0x8051;
inline constexpr std::uint32_t kGlRgba8 = 0x8058;
inline constexpr std::uint32_t kGlBgr = 0x80E0;
inline constexpr std::uint32_t kGlBgra = 0x80E1;
inline constexpr std::uint32_t kGlCompressedLuminance = 0x84EA;
inline constexpr std::uint32_t kGlCompressedRgb = 0x84ED;
inline constexpr std::uint32_t kGlCompressedRgba = 0x84EE;
inline constexpr std::uint32_t kGlCompressedRgbaDxt1 = 0x83F1;
inline constexpr std::uint32_t kGlCompressedRgbaDxt3 = 0x83F2;
inline constexpr std::uint32_t kGlCompressedRgbaDxt5 = 0x83F3;
