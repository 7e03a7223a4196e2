#pragma once

#include <string>

namespace hv {

// The interface definitions the Windows module's type libraries are compiled from, written from
// the member tables so that what scripts see and what the type library says cannot drift apart.

// The library itself: both classes, their dual and event interfaces and the interface aliases.
std::string typeLibraryIdl();

// The small library that declares IObjectSafety for the main library to import.
std::string objectSafetyIdl();

// The file name the main library imports the object-safety library under.
inline constexpr const char* kObjectSafetyTypeLibraryFile = "objsafe2.tlb";

}  // namespace hv
