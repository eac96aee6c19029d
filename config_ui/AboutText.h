// The about box's text.
#pragma once
#include <string>

// The product strings, read by the plug-in's owner from the version resource and handed
// to what shows them: the about box all three, the settings dialog the name as its title
// and the caption of its message boxes.
struct ProductStrings {
    std::string productName;
    std::string versionText;
    std::string legalNoticeText;
};

// Seven lines joined with CR LF: the product name, "Version: " and the version, an
// empty line, "Freeware", an empty line, the legal notice and "All Rights Reserved".
// The pieces are taken as they are; line breaks inside them add lines.
std::string AboutText(const std::string& productName, const std::string& versionText,
                      const std::string& legalNoticeText);
