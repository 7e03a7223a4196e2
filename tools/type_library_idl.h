#pragma once

#include <string>

namespace hv {

// The interface definitions the Windows module's type libraries are compiled from, written from
// the member tables so that what scripts see and what the type library says cannot drift apart.

// Both classes, their dual and event interfaces and the interface aliases. The IDL compiler
// cannot point a class at an interface of an imported library, so IObjectSafety, which Base
// implements, is described in this library under its published identifier.
std::string typeLibraryIdl();

}  // namespace hv
