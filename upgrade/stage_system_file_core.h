// Puts one new system file in the place of the file of the same name in the system
// directory, in place where it can and otherwise staged for the next restart.
#pragma once

#include "framework/portable.h"
#include "upgrade/stage_system_file_port.h"

// Texts of the failure boxes; the path follows the arrow directly.
constexpr const char kFailedToCopy[] = "Failed to copy ->";
constexpr const char kFailedToStage[] = "Failed  to stage update ->";
// Prefix of the name that the target is renamed to when it is in use.
constexpr const char kAsidePrefix[] = "del";

// Stages `source` as systemDir + name through `port`. `tempDir` and `systemDir` end
// with a backslash and `name` begins with one; paths are joined by plain concatenation.
// `pCancel` is the run's cancel flag: it is handed to every copy, a nonzero value at
// entry makes the call do nothing, and every failure box sets it to TRUE. Returns
// TRUE in every case.
//
// The ways, each tried only when the one before it failed:
//   1. copy the source straight over the target;
//   2. when the source can be read and an aside name can be reserved: rename the target
//      aside and copy again; on success have the aside file deleted at the next
//      restart, on failure put the old file back at once (or, failing that, at the
//      start of the next restart);
//   3. copy the source into tempDir and have the platform move it over the target at
//      the next restart; a failure here is reported in boxes.
BOOL StageSystemFileVia(StagePort &port, const char *source, const char *tempDir, const char *systemDir,
                        const char *name, BOOL *pCancel);
