#pragma once

#include <QString>
#include <QStringView>

#include <string_view>

// True for a non-empty text made only of the characters 0 to 9.
bool IsDigitString(QStringView text);

// Lays a phone number into a pattern whose "#" marks are digit places.
//
// Only a plain digit string is a number; any other text comes back unchanged, and so does
// every text when the pattern has no "#". The digits keep every leading zero: they are laid in
// from the right, each "#" taking the next digit or showing nothing when they are used up, and
// whatever digits are still left show together at the leftmost "#". Every other pattern
// character is copied where it stands.
QString ApplyDigitPattern(const QString& text, QStringView pattern);
// The same into a text of the caller's, whose storage is reused from row to row.
void ApplyDigitPatternTo(QString& out, QStringView text, QStringView pattern);

// The laying itself, for callers that keep their own buffer: digits (a plain digit string) into
// an eight-bit or UTF-8 pattern ("#" is never part of another UTF-8 character) that has the
// given number of places (at least one), written at out, which has room for LaidSize bytes.
// Returns the end of what was written.
qsizetype LaidSize(qsizetype digits, qsizetype patternSize, qsizetype places);
char* LayDigitsInto(char* out, std::string_view digits, std::string_view pattern, qsizetype places);
