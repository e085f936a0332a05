// Reference cases: module calls with the results one build gave, stored in a file so that
// another build (the Windows module under Wine) can replay them and compare bit for bit.
//
// File layout, native byte order: the 8 bytes "PLVREF01", a uint64 case count, then per case a
// uint64 name length and the name, the double W2, uint64 lengths of x, xic and xfc, their
// doubles, and as many result doubles as x has.
#ifndef PLORVENT_TESTS_REFERENCE_CASES_H
#define PLORVENT_TESTS_REFERENCE_CASES_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

struct ReferenceCase {
  std::string name;
  double W2;
  std::vector<double> x, xic, xfc;
  std::vector<double> expected;  // n-by-1 result, one per element of x
};

namespace reference_file {

const char kMagic[8] = {'P', 'L', 'V', 'R', 'E', 'F', '0', '1'};

inline bool put_count(std::FILE *f, uint64_t count) {
  return std::fwrite(&count, sizeof count, 1, f) == 1;
}
inline bool put_doubles(std::FILE *f, const std::vector<double> &v) {
  return v.empty() || std::fwrite(v.data(), sizeof(double), v.size(), f) == v.size();
}
inline bool get_count(std::FILE *f, uint64_t *count) {
  return std::fread(count, sizeof *count, 1, f) == 1;
}
inline bool get_doubles(std::FILE *f, std::vector<double> *v, uint64_t count) {
  if (count > (uint64_t{1} << 27)) return false;  // not a file this project wrote
  v->resize(count);
  return count == 0 || std::fread(v->data(), sizeof(double), count, f) == count;
}

}  // namespace reference_file

inline bool write_reference_cases(const char *path, const std::vector<ReferenceCase> &cases) {
  using namespace reference_file;
  std::FILE *f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(kMagic, 1, sizeof kMagic, f) == sizeof kMagic && put_count(f, cases.size());
  for (const ReferenceCase &c : cases) {
    ok = ok && put_count(f, c.name.size()) &&
         std::fwrite(c.name.data(), 1, c.name.size(), f) == c.name.size();
    ok = ok && std::fwrite(&c.W2, sizeof c.W2, 1, f) == 1;
    ok = ok && put_count(f, c.x.size()) && put_count(f, c.xic.size()) && put_count(f, c.xfc.size());
    ok = ok && put_doubles(f, c.x) && put_doubles(f, c.xic) && put_doubles(f, c.xfc) &&
         put_doubles(f, c.expected);
  }
  return std::fclose(f) == 0 && ok;
}

inline bool read_reference_case(std::FILE *f, ReferenceCase *c) {
  using namespace reference_file;
  uint64_t name_length, n, nic, nfc;
  if (!get_count(f, &name_length) || name_length > 1000) return false;
  c->name.resize(name_length);
  if (std::fread(&c->name[0], 1, name_length, f) != name_length) return false;
  return std::fread(&c->W2, sizeof c->W2, 1, f) == 1 && get_count(f, &n) && get_count(f, &nic) &&
         get_count(f, &nfc) && get_doubles(f, &c->x, n) && get_doubles(f, &c->xic, nic) &&
         get_doubles(f, &c->xfc, nfc) && get_doubles(f, &c->expected, n);
}

// Reads every case; false when the file is missing, of another format or cut short.
inline bool read_reference_cases(const char *path, std::vector<ReferenceCase> *cases) {
  using namespace reference_file;
  std::FILE *f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  char magic[sizeof kMagic];
  uint64_t count = 0;
  bool ok = std::fread(magic, 1, sizeof magic, f) == sizeof magic &&
            std::memcmp(magic, kMagic, sizeof magic) == 0 && get_count(f, &count) && count < 1000;
  cases->resize(ok ? count : 0);
  for (ReferenceCase &c : *cases) ok = ok && read_reference_case(f, &c);
  std::fclose(f);
  return ok;
}

#endif
