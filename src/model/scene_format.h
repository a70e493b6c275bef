// The common interchange formats read through the import library, and the
// checks a file passes before any of its bytes reach the library: the
// extension names the format, and the content starts the way that format
// starts wherever it has a signature.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/model_format.h"
#include "model/ply_header.h"

enum class SceneFormat { Obj, Ply, Stl, Gltf, Glb, Fbx, Collada };

// How much of a file's start CheckSceneSignature looks at.
inline constexpr std::size_t kSceneHeadBytes = 64 * 1024;

// The library's format for one of ours (model_format.h), or for the format
// the format rule gives a path: nothing for XML, BIN and unknown names.
std::optional<SceneFormat> SceneFormatOf(ModelFormat format);
std::optional<SceneFormat> SceneFormatOf(std::string_view path);

// The format's name in messages ("OBJ", "glTF 2 binary", ...).
std::string_view SceneFormatName(SceneFormat format);

// Empty when head (the first min(fileBytes, kSceneHeadBytes) bytes of the
// file) fits the format, else why not:
//   OBJ, ASCII FBX   text (no NUL byte)
//   PLY              "ply" and a line end
//   STL              binary: 84-byte header whose triangle count matches the
//                    size; ASCII: "solid" and text
//   glTF             text starting with '{'
//   GLB              "glTF", version 2, and a length that matches the size
//   FBX              "Kaydara FBX Binary" or text
//   COLLADA          text starting with '<' that names a COLLADA element
std::string CheckSceneSignature(SceneFormat format, std::span<const std::uint8_t> head, std::uint64_t fileBytes);

// Empty when the counts the file declares fit the bytes that hold them, else
// why not; run after CheckSceneSignature, with head as there and read
// giving any of the file's bytes. PLY: the header and every list length are
// checked against the whole file (model/ply_header.h), and triangle strips
// are refused. Binary STL and GLB give their sizes up front, which
// CheckSceneSignature compares; the other formats declare no count before
// their data, and pass.
std::string CheckSceneCounts(SceneFormat format, std::span<const std::uint8_t> head, std::uint64_t fileBytes,
                             const ReadFileAt& read);
