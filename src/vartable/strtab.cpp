// strtab.cpp — the hashed variable table.
#include "vartable/strtab.h"

#include <memory>

std::vector<yyy_STRTAB*> fields;
int nfields = 0;

namespace {

constexpr int kHashSize = 1000;
yyy_STRTAB* hashtbl[kHashSize];  // the bucket heads, newest record first
// Owns every record; the buckets and `fields` only point into it.
std::vector<std::unique_ptr<yyy_STRTAB>>& store() {
  static std::vector<std::unique_ptr<yyy_STRTAB>> records;
  return records;
}
}  // namespace

int hash(const char* name) {
  int h = 0;
  for (const char* p = name; *p; ++p) h = (347 * h + static_cast<signed char>(*p)) % kHashSize;
  if (h < 0) h += kHashSize;
  return h;
}

yyy_STRTAB* yyysearchstr(const char* name) {
  if (!name) return nullptr;
  for (yyy_STRTAB* s = hashtbl[hash(name)]; s; s = s->nxt)
    if (s->ptr == name) return s;
  return nullptr;
}

yyy_STRTAB* yyycheckstr(const char* name) {
  if (!name) return nullptr;
  if (yyy_STRTAB* s = yyysearchstr(name)) {
    ++s->refcnt;
    return s;
  }
  store().push_back(std::make_unique<yyy_STRTAB>());
  yyy_STRTAB* s = store().back().get();
  s->ptr = name;
  s->refcnt = 1;
  int h = hash(name);
  s->nxt = hashtbl[h];
  hashtbl[h] = s;
  return s;
}

void yyystrings(int (*fn)(yyy_STRTAB*)) {
  for (yyy_STRTAB* head : hashtbl)
    for (yyy_STRTAB* s = head; s; s = s->nxt)
      if (fn(s)) return;
}

void setparam(int* p, int v) {
  if (*p == -1) *p = v;
}

void setparamd(double* p, int v) {
  if (*p == -1.0) *p = v;
}

void reset_strtab() {
  for (yyy_STRTAB*& head : hashtbl) head = nullptr;
  fields.clear();
  nfields = 0;
  store().clear();
}
