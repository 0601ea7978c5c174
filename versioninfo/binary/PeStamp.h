//===- PeStamp.h - A new version resource in an executable ---------*- C++ -*-===//
//
// Writes a version resource into an existing PE32 or PE32+ file: the
// RT_VERSION entry of one language is replaced, or added where there is
// none, and every other resource, section and byte is kept. It does the
// least that works, in this order:
//   - the copy is written over the old one, when the padding after it
//     holds the growth (nothing else in the file moves);
//   - the resource section is rebuilt where it stands, when the new one
//     fits its raw size and the room before the next section;
//   - the section, when it is the file's last, is rebuilt and grows;
//   - else only what must move goes to a new last section: the new copy
//     (its data entry then points there), or with a copy the file lacks,
//     the directory too, the other resources' data staying where it is.
// The data directory, the section table, SizeOfImage and (where one is
// set) the checksum follow.
//
// A file it can't rewrite safely is refused with the reason, and nothing
// comes back; so is a signed file, unless forced (its signature is then
// removed, since it no longer holds).
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

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
