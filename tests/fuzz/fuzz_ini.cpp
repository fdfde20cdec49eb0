// The settings file's parser and writer: any bytes parse, print back as they
// were, and survive being written out and parsed again; a write changes the
// one value it names and nothing else a reader can see.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/ini_profile.h"

namespace {

using lynx::IniDocument;
using Entries = std::vector<IniDocument::Entry>;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Sets section/key = value in document and in expected, where a reader would
// now see it: in place when the key is there, else after the section's last
// entry, else at the end.
void SetBoth(IniDocument& document, Entries& expected, const QString& section, const QString& key,
             const QString& value) {
  if (!lynx::ValidEntry(section, key, value)) return;
  document.Set(section, key, value);
  std::ptrdiff_t lastOfSection = -1;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (!Same(expected[i].section, section)) continue;
    if (Same(expected[i].key, key)) {
      expected[i].value = value;
      return;
    }
    lastOfSection = static_cast<std::ptrdiff_t>(i);
  }
  const IniDocument::Entry added{lastOfSection < 0 ? section : expected[lastOfSection].section,
                                 key, value};
  expected.insert(lastOfSection < 0 ? expected.end() : expected.begin() + lastOfSection + 1,
                  added);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  IniDocument document(bytes);
  Check(document.Text() == bytes);

  const Entries entries = document.Entries();
  for (const auto& entry : entries) {
    QString value;
    Check(document.Find(entry.section, entry.key, &value) && value == entry.value);
  }

  // Written into an empty file, every entry the writer takes reads back.
  IniDocument copy;
  Entries kept;
  for (const auto& entry : entries) SetBoth(copy, kept, entry.section, entry.key, entry.value);
  Check(IniDocument(copy.Text()).Entries() == kept);

  // Writes into the file as it was: a changed value (the input's last bytes,
  // blanks and quotes included), a new key, a new section.
  Entries expected = entries;
  const QString tail = QString::fromUtf8(bytes.right(6));
  if (!entries.empty()) {
    SetBoth(document, expected, entries.front().section, entries.front().key, tail);
    SetBoth(document, expected, entries.back().section, QStringLiteral("Lynx Fuzz Key"), tail);
  }
  // Digits and '~' have no other case, so no section of the input is this one
  // unless the input spells it.
  if (!bytes.contains("0~0")) SetBoth(document, expected, QStringLiteral("0~0"), QStringLiteral("1"), tail);
  Check(IniDocument(document.Text()).Entries() == expected);
  return 0;
}
