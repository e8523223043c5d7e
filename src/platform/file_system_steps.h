#pragma once

#include <string>

#include "platform/file_system.h"

// What both real file systems share for their multi-step operations.
namespace tagwright::fs_steps {

/// Calls the test hook, when one is set.
void Step(FsStep step, const std::string& path);

/// A private name in `folder`: short and of fixed length, so that it fits wherever the name it
/// stands in for fits, and hidden, so that no search lists it.
std::string TemporaryNameIn(const std::string& folder);

}  // namespace tagwright::fs_steps
