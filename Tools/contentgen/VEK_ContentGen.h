// The content generator's steps. Each part of the sample show is written by one step in
// a file of its own, which registers itself with a VEK_CONTENT_STEP line.
#pragma once

#include <filesystem>

namespace contentgen {

// Writes some of the show's files below the show folder; false (after printing why)
// when it could not.
using StepFunction = bool (*)(const std::filesystem::path& show);

struct StepRegistrar {
    // Steps run in ascending order; equal orders run in registration order.
    StepRegistrar(int order, const char* what, StepFunction run);
};

}  // namespace contentgen

#define VEK_CONTENT_STEP(order, what, function) \
    static const ::contentgen::StepRegistrar function##Registrar{order, what, function}
