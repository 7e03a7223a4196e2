#pragma once

#include <cstdint>
#include <string_view>

#include "control/guid.h"

namespace hv {

// The module and its type library as registered and embedded.
namespace library {
inline constexpr std::string_view kTypeLibraryName = "HVDetector";
inline constexpr Guid kLibid = Guid::of("{350C45A9-FCCA-4A96-8572-75B686F0CC80}");
inline constexpr int kVersionMajor = 3;
inline constexpr int kVersionMinor = 2;
inline constexpr std::uint32_t kLocale = 0x409;
inline constexpr std::uint32_t kLibraryFlagControl = 0x2;
inline constexpr std::string_view kHelpString = "Corvantis Halverine Detector Control";
inline constexpr std::string_view kModuleBaseName = "CorvantisHalverineDetector";
inline constexpr std::string_view kModuleExtension = ".ocx";
inline constexpr std::string_view kModuleVersion = "1.04.0008";
inline constexpr std::string_view kProjectDescription = "CorvantisHalverineDetector";

// The library that declares IObjectSafety for the type library's import.
inline constexpr std::string_view kObjectSafetyLibraryName = "IObjectSafetyTLB";
inline constexpr Guid kObjectSafetyLibid = Guid::of("{C67830E0-D11B-11CF-BD80-00AA00575603}");
}  // namespace library

}  // namespace hv
