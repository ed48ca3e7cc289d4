// NumberText and the fixed formats, both built on the 15-significant-digit
// decimal form of the exact binary value that printf("%.14e") gives; and the
// shortest round-trip text.
#include "common/NumberText.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/RuntimeError.h"

namespace {

// The value rounded to 15 significant digits: the digits d1..d15 and the
// decimal exponent of d1, so that |value| = d1.d2...d15 x 10^exponent.
struct Decimal15 {
  bool negative = false;
  std::string digits;  // exactly 15 characters
  int exponent = 0;
};

Decimal15 ToDecimal15(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  Decimal15 d;
  const char* p = buffer;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  d.digits.push_back(*p++);
  ++p;  // the decimal point
  while (*p >= '0' && *p <= '9') d.digits.push_back(*p++);
  ++p;  // 'e'
  d.exponent = std::atoi(p);
  return d;
}

}  // namespace

std::string NumberText(double value) {
  if (value == 0.0) return " 0";
  const Decimal15 d = ToDecimal15(value);
  std::string digits = d.digits;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text = d.negative ? "-" : " ";
  const int e = d.exponent;
  if (e < -4 || e > 14) {
    text += digits[0];
    if (digits.size() > 1) {
      text.push_back('.');
      text.append(digits, 1, std::string::npos);
    }
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
    text += exponent;
  } else if (e >= 0) {
    const auto wholeDigits = static_cast<std::size_t>(e) + 1;
    if (digits.size() <= wholeDigits) {
      text.append(digits).append(wholeDigits - digits.size(), '0');
    } else {
      text.append(digits, 0, wholeDigits).append(1, '.').append(digits, wholeDigits, std::string::npos);
    }
  } else {
    text.append(1, '.').append(static_cast<std::size_t>(-e - 1), '0').append(digits);
  }
  return text;
}

std::string FormatFixed(double value, std::string_view pattern) {
  std::size_t decimals = 0;
  if (pattern == "0") {
    decimals = 0;
  } else if (pattern.size() >= 3 && pattern.substr(0, 2) == "0." &&
             pattern.find_first_not_of('0', 2) == std::string_view::npos) {
    decimals = pattern.size() - 2;
  } else {
    Raise(ErrorNumber::InvalidProcedureCall, "unknown number format \"" + std::string(pattern) + "\"");
  }

  // Scaled by 10^decimals, the kept digits form a whole number N; its digits
  // are built as text, so there is no limit on magnitude or precision.
  std::string whole = "0";
  bool negative = false;
  if (value != 0.0) {
    const Decimal15 d = ToDecimal15(value);
    negative = d.negative;
    // Digit j of d.digits has weight 10^(exponent - j); keep those with
    // weight 10^-decimals or more.
    const long keep = d.exponent + static_cast<long>(decimals) + 1;
    if (keep >= 15) {
      whole = d.digits + std::string(static_cast<std::size_t>(keep - 15), '0');
    } else if (keep >= 0) {
      whole = d.digits.substr(0, static_cast<std::size_t>(keep));
      if (d.digits[static_cast<std::size_t>(keep)] >= '5') {
        // Round half away from zero: add one to the kept digits.
        int i = static_cast<int>(whole.size()) - 1;
        while (i >= 0 && whole[static_cast<std::size_t>(i)] == '9') whole[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
          ++whole[static_cast<std::size_t>(i)];
        } else {
          whole.insert(whole.begin(), '1');
        }
      }
      if (whole.empty()) whole.assign(1, '0');
    }
  }

  if (whole.size() <= decimals) whole.insert(0, decimals + 1 - whole.size(), '0');
  std::string text;
  if (negative) text.push_back('-');
  text.append(whole, 0, whole.size() - decimals);
  if (decimals > 0) text.append(1, '.').append(whole, whole.size() - decimals, std::string::npos);
  return text;
}

namespace {

#if defined(__SIZEOF_INT128__)

// 10^0 to 10^19, all that fit in 64 bits.
constexpr std::array<std::uint64_t, 20> kPowersOfTen = [] {
  std::array<std::uint64_t, 20> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& p : powers) {
    p = power;
    power *= 10;
  }
  return powers;
}();

int DigitCount(std::uint64_t value) {
  const int width = std::bit_width(value);
  const int guess = (width * 1233) >> 12;  // log10(2^width), one too many at most
  return guess + 1 - (value < kPowersOfTen[static_cast<std::size_t>(guess)] ? 1 : 0);
}

// The eight digits of `value` (below 10^8, leading zeros written) as
// characters in a word, the first in its lowest byte (as they lie in memory
// on a little-endian machine), so that a text put together from such words
// is not read back from single characters. value / 10^6 as a binary
// fraction of 48 bits, rounded up, gives two digits at a time as it is
// multiplied by 100; the rounding up adds less than 0.11 of the last
// digit's unit in all, never enough to reach the next digit.
std::uint64_t EightDigits(std::uint32_t value) {
  constexpr std::uint64_t kMask = (std::uint64_t{1} << 48) - 1;
  const auto pair = [](std::uint64_t digits) {
    std::uint16_t two = 0;
    std::memcpy(&two, kDigitPairs.data() + 2 * digits, 2);
    return std::uint64_t{two};
  };
  std::uint64_t fraction = value * std::uint64_t{281474977};  // ceil(2^48 / 10^6)
  std::uint64_t word = pair(fraction >> 48);
  fraction = (fraction & kMask) * 100;
  word |= pair(fraction >> 48) << 16;
  fraction = (fraction & kMask) * 100;
  word |= pair(fraction >> 48) << 32;
  fraction = (fraction & kMask) * 100;
  return word | pair(fraction >> 48) << 48;
}

// How many '0' characters end a text of words made by EightDigits, `last`
// its last word and `before` the one before it; up to 16.
int TrailingZeros(std::uint64_t before, std::uint64_t last) {
  constexpr std::uint64_t kZeros = 0x3030303030303030u;  // "00000000"
  // The last character is the highest byte; a '0' becomes a zero byte.
  const int inLast = std::countl_zero(last ^ kZeros) / 8;
  return inLast < 8 ? inLast : 8 + std::countl_zero(before ^ kZeros) / 8;
}

// The shortest digits of a double by the "Schubfach" method (R. Giulietti,
// "The Schubfach way to render doubles"): the value's rounding interval is
// scaled by a power of ten with 128-bit arithmetic, and of the decimals in
// it the shortest is taken, the one nearest the value when several are,
// the even one of two equally near; the same digits as std::to_chars.
__extension__ using Uint128 = unsigned __int128;

// 10^k for k from 0 to 38 (all that fit in 128 bits) scaled into
// [2^127, 2^128) and raised by one unit: an over-estimate by less than one
// unit, which the rounding to odd below needs. The values from 2^-74 to
// 2^53 (some 5e-23 to 9e15) need no other.
struct Pow10Table {
  Uint128 scaled[39];
  int log2[39];  // floor(log2(10^k))
};

constexpr Pow10Table MakePow10Table() {
  Pow10Table table{};
  Uint128 power = 1;
  for (int k = 0; k <= 38; ++k) {
    int width = 0;
    for (Uint128 rest = power; rest != 0; rest >>= 1) ++width;
    table.scaled[k] = (power << (128 - width)) + 1;
    table.log2[k] = width - 1;
    if (k < 38) power *= 10;
  }
  return table;
}

constexpr Pow10Table kPow10 = MakePow10Table();

int Pow10Log2(int k) { return kPow10.log2[k]; }

// floor(g * cp / 2^128), its lowest bit set when anything was cut off.
std::uint64_t RoundToOdd(Uint128 g, std::uint64_t cp) {
  const Uint128 low = static_cast<Uint128>(static_cast<std::uint64_t>(g)) * cp;
  const Uint128 high = static_cast<Uint128>(static_cast<std::uint64_t>(g >> 64)) * cp;
  const Uint128 sum = high + (low >> 64);
  return static_cast<std::uint64_t>(sum >> 64) | (static_cast<std::uint64_t>(sum) > 1 ? 1u : 0u);
}

// The value is digits x 10^exponent.
struct ShortestDecimal {
  std::uint64_t digits = 0;
  int exponent = 0;
};

// The shortest decimal of a positive normal double below 2^53 and not below
// 2^-74; false for any other.
[[gnu::always_inline]] inline bool ToShortestDecimal(std::uint64_t bits, ShortestDecimal& out) {
  constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;
  const std::uint64_t fraction = bits & kFractionMask;
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased == 0 || biased == 0x7FF) return false;  // zero, subnormal, infinite, NaN
  const std::uint64_t c = fraction | (std::uint64_t{1} << 52);
  const int q = biased - 1075;  // the value is c x 2^q
  if (q > 0) return false;
  if (-q < 53 && (c & ((std::uint64_t{1} << -q) - 1)) == 0) {
    // A whole number: its own digits are the shortest.
    out = {c >> -q, 0};
    return true;
  }
  const bool even = (c & 1) == 0;
  // At a power of two the next double below is half as far as the one above.
  const bool lowerCloser = fraction == 0 && biased > 1;
  const std::uint64_t cbl = 4 * c - 2 + (lowerCloser ? 1 : 0);
  const std::uint64_t cb = 4 * c;
  const std::uint64_t cbr = 4 * c + 2;
  // floor(log10(2^q)), or floor(log10(3/4 x 2^q)) when the lower boundary is closer.
  const int k = (q * 1262611 - (lowerCloser ? 524031 : 0)) >> 22;
  if (-k > 38) return false;
  const int h = q + kPow10.log2[-k] + 1;  // 1 to 4
  const Uint128 g = kPow10.scaled[-k];
  const std::uint64_t vbl = RoundToOdd(g, cbl << h);
  const std::uint64_t vb = RoundToOdd(g, cb << h);
  const std::uint64_t vbr = RoundToOdd(g, cbr << h);
  // The interval's ends belong to it when the significand is even, as a
  // reader rounding half to even takes them.
  const std::uint64_t lower = vbl + (even ? 0 : 1);
  const std::uint64_t upper = vbr - (even ? 0 : 1);
  const std::uint64_t s = vb / 4;  // 16 or 17 digits
  // One digit fewer when exactly one of its two candidates is inside; else
  // the one of the two candidates of s and s + 1 inside, or when both are,
  // the nearer, the even one at a tie. Chosen without branches: which way
  // a value goes is as good as random.
  const std::uint64_t sp = s / 10;
  const bool upInside = lower <= 40 * sp;
  const bool wpInside = 40 * sp + 40 <= upper;
  const bool shorter = upInside != wpInside;
  const bool uInside = lower <= 4 * s;
  const bool wInside = 4 * s + 4 <= upper;
  const std::uint64_t mid = 4 * s + 2;
  const bool nearerUp = (vb > mid) | ((vb == mid) & ((s & 1) != 0));
  const bool up = uInside != wInside ? wInside : nearerUp;
  out.digits = shorter ? sp + wpInside : s + up;
  out.exponent = k + (shorter ? 1 : 0);
  return true;
}

#endif

}  // namespace

char* PutShortest(char* at, double value) {
#if defined(__SIZEOF_INT128__)
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  ShortestDecimal d;
  if (std::endian::native == std::endian::little && ToShortestDecimal(bits & ~(std::uint64_t{1} << 63), d)) {
    // All 24 places made as three words, whatever the number of digits (at
    // most 17), so that no branch depends on it; the zeros at the end are
    // counted in the words rather than divided off one by one.
    const std::uint64_t top = d.digits / 100000000;
    const std::uint64_t words[3] = {EightDigits(static_cast<std::uint32_t>(top / 100000000)),
                                    EightDigits(static_cast<std::uint32_t>(top % 100000000)),
                                    EightDigits(static_cast<std::uint32_t>(d.digits % 100000000))};
    // Stored at once, well before they are read back at another offset.
    char places[48];
    std::memcpy(places, words, sizeof words);
    const int all = DigitCount(d.digits);
    const int zeros = TrailingZeros(words[1], words[2]);
    const int n = all - zeros;
    const int exponent = d.exponent + zeros;  // of the last digit
    const int e = exponent + n - 1;           // of the first digit
    // to_chars writes the shorter of the two forms, the fixed one at a tie;
    // the scientific one ("1e-05", "1.5e+20") is left to it.
    const int scientificLength = n + (n > 1 ? 1 : 0) + (e <= -100 || e >= 100 ? 5 : 4);
    const int fixedLength = exponent >= 0 ? n + exponent : e >= 0 ? n + 1 : n + 1 - e;
    if (fixedLength <= scientificLength) {
      const char* const digits = places + 24 - all;
      // Written in whole blocks straight to `at`: up to 34 bytes, of which
      // the text is at most 24.
      char* t = at;
      if ((bits >> 63) != 0) *t++ = '-';
      if (exponent >= 0) {
        // A whole number below 2^53, so exactly its digits and zeros.
        std::memcpy(t, digits, 16);
        std::memset(t + n, '0', 16);
      } else if (e >= 0) {
        std::memcpy(t, digits, 16);
        t[e + 1] = '.';
        std::memcpy(t + e + 2, digits + e + 1, 16);
      } else {
        // Fixed is shorter only down to 0.0001: at most three zeros after the point.
        static constexpr char kLeadingZeros[5] = {'0', '.', '0', '0', '0'};
        std::memcpy(t, kLeadingZeros, sizeof kLeadingZeros);
        std::memcpy(t + 1 - e, digits, 17);
      }
      return t + fixedLength;
    }
  }
#endif
  return std::to_chars(at, at + kShortestRoom, value).ptr;
}

std::to_chars_result PutFixed(char* first, char* last, double value, int decimals) {
#if defined(__SIZEOF_INT128__)
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  ShortestDecimal d;
  // The value's neighbours must lie closer than a unit of the last decimal
  // (the spacing of doubles 2^q below 10^-decimals): then its shortest
  // decimal, when it has no more decimals than asked for, is the nearest
  // text of that many decimals, and when it has more, rounding it gives
  // what rounding the value gives, but where it ends in a 5 just after the
  // last decimal kept (the value may lie either side of that tie).
  const int q = static_cast<int>((bits >> 52) & 0x7FF) - 1075;
  if (std::endian::native == std::endian::little && decimals >= 0 && decimals <= 16 && last - first >= 48 &&
      -q > Pow10Log2(decimals) && ToShortestDecimal(bits & ~(std::uint64_t{1} << 63), d)) {
    std::uint64_t scaled = 0;  // the value in units of the last decimal, rounded
    bool known = true;
    if (d.exponent + decimals >= 0) {
      const int shift = d.exponent + decimals;
      known = shift <= 19 && DigitCount(d.digits) + shift <= 17;
      if (known) scaled = d.digits * kPowersOfTen[static_cast<std::size_t>(shift)];
    } else {
      const int cut = -(d.exponent + decimals);  // digits to round off
      if (cut <= 18) {
        const std::uint64_t unit = kPowersOfTen[static_cast<std::size_t>(cut)];
        const std::uint64_t rest = d.digits % unit;
        const std::uint64_t half = unit / 2;
        known = rest != half;
        scaled = d.digits / unit + (rest > half ? 1 : 0);
      }  // else the digits are all below half a unit: 0
    }
    if (known) {
      const std::uint64_t top = scaled / 100000000;
      const std::uint64_t words[3] = {EightDigits(static_cast<std::uint32_t>(top / 100000000)),
                                      EightDigits(static_cast<std::uint32_t>(top % 100000000)),
                                      EightDigits(static_cast<std::uint32_t>(scaled % 100000000))};
      char places[48];
      std::memcpy(places, words, sizeof words);
      const int n = std::max(DigitCount(scaled), decimals + 1);  // at least one digit before the point
      const char* const digits = places + 24 - n;
      char* t = first;
      if ((bits >> 63) != 0) *t++ = '-';
      const int whole = n - decimals;
      std::memcpy(t, digits, 24);
      t += whole;
      if (decimals > 0) {
        *t++ = '.';
        std::memcpy(t, digits + whole, 16);
        t += decimals;
      }
      return {t, std::errc()};
    }
  }
#endif
  return std::to_chars(first, last, value, std::chars_format::fixed, decimals);
}

char* PutLongerWhole(char* at, std::uint32_t value) { return std::to_chars(at, at + 10, value).ptr; }
