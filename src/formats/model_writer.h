// Writes a mesh to a model file of any format that can be written: the one
// place that picks the writer for a format, from its declaration
// (model_format.h): its own writer, else the import library's exporter.
#pragma once

#include <string>
#include <vector>

#include "formats/model_format.h"
#include "mesh/mesh.h"

// Writes mesh to path in format: creates or replaces path and nothing else,
// or fails and changes nothing. Every file is written unnamed or under a
// temporary name in path's folder (staged_output.h), each write checked (the
// import library's writers go through our file access, since they don't
// check their own), flushed to disk and renamed into place only once
// complete; a file that replaces another keeps that file's mode. A file
// written beside path (the .bin of a .gltf, the .mtl of a textured .obj)
// never replaces one: where its name is taken, the write is refused before
// anything is written.
// Refused with the reason when the format can't be written, the mesh's arrays
// don't match its counts, a companion's name is taken, or a file can't be
// written in full (a full disk, a write limit, an I/O error).
WriteResult WriteModel(const Mesh& mesh, const std::string& path, ModelFormat format);

// What writing mesh in format leaves out of the model's make-up, a line
// each, to be told to the user: XML and BIN hold one texture and no colours
// (no material colours, no other material's texture, no vertex colours),
// and a format whose exporter does not embed images drops the images the
// model holds. Empty when nothing is left out.
std::vector<std::string> WhatWriteModelDrops(const Mesh& mesh, ModelFormat format);
