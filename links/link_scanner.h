// The byte-driven link scanner: finds attribute values named ...href= or ...src= inside tags.
// Not an HTML parser; it allocates nothing and never writes to the page.
#pragma once

inline constexpr int kLinkValueSize = 500;  // a value holds at most 499 characters

// Scans `text` from its first byte for the next link value. Returns 0 at the end of the text;
// otherwise the offset of the last character taken into `value`, by which the caller moves
// `text` on before the next call. `depthStep` is 1 for an href value and a wanted image
// source, 0 for any other src value (frames, scripts). Image sources are returned only when
// `imageSrc` is non-zero.
int NextLink(int imageSrc, const char* text, char (&value)[kLinkValueSize], int* depthStep);

// Copies the text after an "=" up to the first ">" or the end, at most 499 characters, and
// returns how many were copied.
int CopyAttributeValue(const char* text, char (&value)[kLinkValueSize]);

// Reduces the value to its first word (quotes, tabs, line feeds and blanks delimit), from an
// inner "http://" on if there is one. 1 when usable, 0 for nothing or a javascript:/mailto: link.
int CleanLinkValue(char (&value)[kLinkValueSize]);
