// Stateless helpers over narrow strings (ANSI code page, one byte per
// character) and wide strings (UTF-16). Only URLEncode converts between code
// pages; WidenString / NarrowString map byte values one to one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::string Trim(const std::string& text);
std::string TrimLeft(const std::string& text, const std::string& set = " \n\r");
std::string TrimRight(const std::string& text);

// ASCII letters only; bytes above 0x7F stay as they are.
std::string& ToLower(std::string& text);
std::string& ToUpper(std::string& text);

// Replacements are never searched again. An empty search text returns the
// text unchanged.
std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement);
std::wstring ReplaceAllW(const std::wstring& text, const std::wstring& search, const std::wstring& replacement);
std::string ReplaceChar(const std::string& text, char from, char to);

// Splits at any character of the delimiter set; empty pieces are dropped.
void SplitString(const std::string& text, std::string delimiters, std::vector<std::string>& pieces);

bool EndsWith(const std::string& text, const std::string& suffix);
std::string Left(const std::string& text, int n);
std::string Right(const std::string& text, int n);
std::wstring LeftW(const std::wstring& text, int n);
std::wstring RightW(const std::wstring& text, int n);
std::string ExtractDigits(const std::string& text);
// A name made fit for use as an identifier: "_" before a leading digit;
// digits, capitals and the characters from '_' to code 127 kept; blanks as
// "_"; everything else dropped. "2 Day Notice!" gives "_2_Day_Notice".
std::string MakeIdentifierFromName(const std::string& name);
std::wstring ConvertLFToCRLF(const std::wstring& text);

// Form encoding through UTF-8: letters and digits stay, a blank becomes '+',
// every other byte %xx in lower-case hexadecimal.
std::string URLEncode(const std::string& text);
std::string URLEncodeW(const std::wstring& text);

std::string FormatEmailAddress(const std::string& address, std::string displayName);
void ParseEmailAddress(const std::string& text, std::string& address, std::string& displayName);

std::string ReplaceControlCharsWithNames(const std::string& text);
std::wstring ReplaceControlCharsWithNamesW(const std::wstring& text);

// Local time as DD/MM/YY hh:mm:ss.
std::string FormatLogTimeStamp(const std::int64_t* time);
std::wstring FormatLogTimeStampW(std::int64_t time);

std::wstring WidenString(const std::string& text);
std::string NarrowString(const std::wstring& text);

// Between the system's ANSI code page and UTF-16, as Windows' own narrow
// functions convert; characters the code page lacks become '?'.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
// The same for text held elsewhere (a BSTR), without a copy first.
std::string WideToAnsi(const wchar_t* text, std::size_t length);
// The characters of the text that WideToAnsi cannot carry as they are (it
// would write '?' or a look-alike): their code points, a surrogate pair as
// one, each once, in the order they first appear.
std::vector<std::uint32_t> CharactersLostInAnsi(const std::wstring& text);
