// The about box's text.
#pragma once
#include <string>

// Seven lines joined with CR LF: the product name, "Version: " and the version, an
// empty line, "Freeware", an empty line, the legal notice and "All Rights Reserved".
// The pieces are taken as they are; line breaks inside them add lines.
std::string AboutText(const std::string& productName, const std::string& versionText,
                      const std::string& legalNoticeText);
