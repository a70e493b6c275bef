// The signature checks of the formats read through the import library: the
// SignatureCheck of their declarations (model_format.cpp). Each is given the
// start of a non-empty file and its size, and says why the content does not
// start the way the format starts (empty when it does):
//   OBJ, ASCII FBX   text (no NUL byte)
//   PLY              "ply" and a line end
//   STL              binary: 84-byte header whose triangle count matches the
//                    size; ASCII: "solid" and text
//   glTF             text starting with '{'
//   GLB              "glTF", version 2, and a length that matches the size
//   FBX              "Kaydara FBX Binary" or text
//   COLLADA          text starting with '<' that names a COLLADA element
#pragma once

#include <cstdint>
#include <span>
#include <string>

std::string CheckObjSignature(std::span<const std::uint8_t> head, std::uint64_t fileBytes);
std::string CheckPlySignature(std::span<const std::uint8_t> head, std::uint64_t fileBytes);
std::string CheckStlSignature(std::span<const std::uint8_t> head, std::uint64_t fileBytes);
std::string CheckGltfSignature(std::span<const std::uint8_t> head, std::uint64_t fileBytes);
std::string CheckGlbSignature(std::span<const std::uint8_t> head, std::uint64_t fileBytes);
std::string CheckFbxSignature(std::span<const std::uint8_t> head, std::uint64_t fileBytes);
std::string CheckColladaSignature(std::span<const std::uint8_t> head, std::uint64_t fileBytes);
