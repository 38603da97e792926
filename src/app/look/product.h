#pragma once

// Addresses the product names to its users.
inline constexpr char kHomePageAddress[] = "https://www.dialwright.example/";
inline constexpr char kPhoneExtractorAddress[] = "https://www.dialwright.example/phone-extractor";
