#pragma once

#include <string>
#include <string_view>

// The byte encodings a phone-number file may come in, as the one reader decides them line by
// line, and their way back for a writer that keeps a file in its own encoding.

// The character a Windows-1252 byte stands for; every byte has one, so none is lost.
char16_t Windows1252Character(unsigned char byte);

// Whether the bytes are well-formed UTF-8 (see Utf8Check).
bool IsUtf8(std::string_view bytes);

// Appends the character as UTF-8; a surrogate on its own takes the three bytes it would take
// were it a character, so UTF-16 units without their partner survive the trip.
void AppendUtf8(std::string& out, char32_t c);

// Appends Windows-1252 bytes as UTF-8.
void AppendWindows1252AsUtf8(std::string& out, std::string_view bytes);

// Appends UTF-8 text as Windows-1252; false, with out as it was, when a character has no byte
// there.
bool AppendUtf8AsWindows1252(std::string& out, std::string_view utf8);

// Appends UTF-8 text (surrogates on their own as AppendUtf8 writes them) as UTF-16 bytes,
// little- or big-endian.
void AppendUtf8AsUtf16(std::string& out, std::string_view utf8, bool bigEndian);
