// The product strings: name, version and legal notice from velmora.dll's version
// resource, read once at initialisation.
#pragma once
#include <string>

#include "config_ui/AboutText.h"

// "a, b, c, d" -> "a.b.c.d"; components that cannot be read show as 0.
std::string FormatVersionText(const std::string& productVersion);
// The description handed to the host: "<name>, Version: <version>".
std::string DescriptionText(const std::string& productName, const std::string& versionText);
// Fills `product` from the version resource of the file at path and returns true; when
// the file has no readable version resource the strings keep their values and the
// result is false.
bool ReadProductInfo(const std::string& path, ProductStrings& product);
