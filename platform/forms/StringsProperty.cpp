// Reading and writing the "Strings" list of a lines property.
#include "platform/forms/StringsProperty.h"

#include "platform/classes/Filer.h"

namespace orv {

void TStringsProperty::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  const std::vector<AnsiString> current = FGet();
  filer.DefineProperty(
      "Strings",
      [this](TReader& reader) {
        std::vector<AnsiString> lines;
        reader.ReadListBegin();
        while (!reader.EndOfList()) lines.push_back(reader.ReadString());
        reader.ReadListEnd();
        FSet(lines);
      },
      [this](TWriter& writer) {
        writer.WriteListBegin();
        for (const AnsiString& line : FGet()) writer.WriteString(line);
        writer.WriteListEnd();
      },
      !current.empty());
}

void TStringsProperty::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TStringsProperty*>(source)) {
    FSet(other->FGet());
    return;
  }
  TPersistent::Assign(source);
}

}  // namespace orv
