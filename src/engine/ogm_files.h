// Where an OGM's files lie and the sections of its definition file. The
// current OGM of a call is the full path of its definition file; every key is
// read from that file when it is needed.
#pragma once

#include <string>
#include <string_view>

namespace orvia {

inline constexpr const char* kDefaultOgmName = "Default Answering Message";

// Sections of an OGM definition file.
inline constexpr const char* kOgmSectionIvr = "ivr";
inline constexpr const char* kOgmSectionDateTime = "datetime";
inline constexpr const char* kOgmSectionCid = "cid";

// <OGMs folder><name>.ini
std::string OgmDefinitionPath(std::string_view name);
// The definition path with its extension replaced (".wav", ".mp3").
std::string OgmFileWithExtension(const std::string& definitionPath, std::string_view extension);

}  // namespace orvia
