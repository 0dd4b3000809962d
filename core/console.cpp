#include "console.hpp"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <stdexcept>

namespace solver {

namespace {

std::string lower(std::string_view s) {
  std::string r(s);
  for (char& ch : r) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return r;
}

}  // namespace

Encoding choose_encoding(const char* env_value, bool stdout_is_tty, std::string_view locale_codeset,
                         std::ostream& err) {
  if (env_value != nullptr && *env_value != '\0') {
    const std::string v = lower(env_value);
    if (v == "cp932" || v == "sjis" || v == "shift_jis" || v == "shift-jis") return Encoding::Cp932;
    if (v == "utf-8" || v == "utf8") return Encoding::Utf8;
    err << "SOLVER_ENCODING=" << env_value
        << " is not known (use cp932 or utf-8); choosing the encoding from the terminal"
        << std::endl;
  }
  const std::string cs = lower(locale_codeset);
  if (stdout_is_tty && (cs == "utf-8" || cs == "utf8")) return Encoding::Utf8;
  return Encoding::Cp932;
}

Encoding choose_encoding_from_environment(std::ostream& err) {
  std::setlocale(LC_CTYPE, "");
  const char* cs = nl_langinfo(CODESET);
  const Encoding enc = choose_encoding(std::getenv("SOLVER_ENCODING"), isatty(STDOUT_FILENO) == 1,
                                       cs != nullptr ? cs : "", err);
  std::setlocale(LC_CTYPE, "C");
  return enc;
}

std::string encode(std::u8string_view text, Encoding enc) {
  std::string in(reinterpret_cast<const char*>(text.data()), text.size());
  if (enc == Encoding::Utf8) return in;
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: CP932 not available");
  std::string out(in.size() * 2 + 4, '\0');
  char* src = in.data();
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) throw std::runtime_error("iconv: text not representable");
  out.resize(out.size() - dst_left);
  return out;
}

void Console::say(std::u8string_view text) {
  out << encode(text, enc);
}

void Console::line(std::u8string_view text) {
  say(text);
  out << std::endl;
}

void Console::ascii(std::string_view text) {
  out << text;
}

void Console::endl() {
  out << std::endl;
}

void Console::flush() {
  out.flush();
}

std::time_t Console::now() const {
  return clock != nullptr ? clock() : std::time(nullptr);
}

}  // namespace solver
