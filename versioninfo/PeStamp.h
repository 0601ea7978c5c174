//===- PeStamp.h - A new version resource in an executable ---------*- C++ -*-===//
//
// Writes a version resource into an existing PE32 or PE32+ file: the
// RT_VERSION entry of one language is replaced, or added where there is
// none, and every other resource, section and byte is kept. The resource
// section is rebuilt in place when it is the file's last section and
// starts with the resource directory; otherwise the new one becomes a new
// last section and the old bytes stay where they are, unused. The data
// directory, the section table, SizeOfImage and (where one is set) the
// checksum follow.
//
// A file it can't rewrite safely is refused with the reason, and nothing
// comes back; so is a signed file, unless forced (its signature is then
// removed, since it no longer holds).
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Status.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

struct StampRequest {
    std::uint16_t Language = 0;   ///< the copy to replace or add
    std::string_view VersionData; ///< the new VS_VERSIONINFO block
    bool Force = false;           ///< stamp a signed file, dropping its signature
};

/// The bytes of `pe` with the version resource of the request in place.
Expected<std::string> StampVersionResource(std::string_view pe, const StampRequest& request);

/// The PE checksum of `image`, whose checksum field the caller has zeroed.
std::uint32_t PeChecksum(std::string_view image);

} // namespace qm
