// The product strings every dialog shows: the product name (title of the settings
// dialog, caption of every message box), the version and the legal notice. Initialisation
// reads them once from a version resource; the dialogs only read them.
#pragma once
#include <string>

struct ProductInfoStrings {
    std::string productName;
    std::string versionText;
    std::string legalNoticeText;
};
extern ProductInfoStrings ProductInfo;
