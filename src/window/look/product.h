#pragma once

// Room window/look: the product's name and addresses, the window title, icon and layout units.

// Addresses the product names to its users.
inline constexpr char kHomePageAddress[] = "https://www.dialwright.example/";
inline constexpr char kPhoneExtractorAddress[] = "https://www.dialwright.example/phone-extractor";
