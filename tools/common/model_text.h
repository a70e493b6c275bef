// Number texts as the model exporter writes them: reals with six significant
// digits, locale-independent.
#pragma once

#include <string>

// Appends v with up to six significant digits ("0.5", "-1.23457", "1e-07");
// negative zero is written as "0".
void AppendReal(std::string& out, float v);

// The float that the text AppendReal writes for v reads back as. Meshes keep
// these values, so an XML file and a BIN file of one mesh hold equal numbers.
float RoundAsText(float v);
