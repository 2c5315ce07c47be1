// Value coercions between field text and numbers, and checked arithmetic.
// Every failure is thrown as rt::Error; callers decide what to do with it
// through the error policies in policy.h. Text is windows-1252 bytes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace rt {

using Integer = std::int16_t;
using Long = std::int32_t;
using Double = double;
using Text = std::string; // windows-1252 bytes; NUL is an ordinary character

enum class ErrorKind { TypeMismatch, Overflow, InvalidArgument };

class Error : public std::runtime_error {
public:
    explicit Error(ErrorKind kind);
    ErrorKind kind() const noexcept { return kind_; }

private:
    ErrorKind kind_;
};

const char* describe(ErrorKind kind) noexcept;

// Number syntax: optional blanks, optional sign, digits with an optional "."
// fraction (at least one digit), optional exponent, optional blanks. The
// separator is always ".", whatever the locale.
Double ToDouble(std::string_view text);
Long ToLong(std::string_view text);       // rounds half to even
Integer ToInteger(std::string_view text); // rounds half to even

// Narrowing; a Double rounds half to even first.
Integer ToInteger(Double value);
Integer ToInteger(Long value);

Double Val(std::string_view text); // leading number, 0 when there is none; never fails
bool IsNumeric(std::string_view text);

Integer Asc(std::string_view text); // code of the first byte, 0..255
Text Chr(Long code);                // one byte, for codes 0..255

Text Str(Integer value);
Text Str(Long value);
Text Str(Double value); // at most 15 significant digits, no trailing zeros

Text Left(std::string_view text, Long count);
Text Right(std::string_view text, Long count);
bool TextEquals(std::string_view a, std::string_view b); // byte for byte, no folding

// Checked arithmetic: a result outside the type raises Overflow.
Integer Add(Integer a, Integer b);
Integer Mul(Integer a, Integer b);
Long Sub(Long a, Long b);
Long Mul(Long a, Long b);
Long IntDiv(Long a, Long b); // truncates toward zero; a zero divisor raises InvalidArgument
Long Mod(Long a, Long b);    // sign of the dividend; a zero divisor raises InvalidArgument

} // namespace rt
