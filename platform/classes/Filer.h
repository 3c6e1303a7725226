// The component stream: the binary writer and reader of components, their published properties,
// stream-defined properties and children, with the value markers of the format.
//
// Layout: "TPF0", then a component: class name and component name as short strings (a length
// byte, then the bytes), its properties (a short-string name, then a value) up to vaNull, its
// children (components) up to vaNull. Values start with a TValueType byte; integers, lengths and
// floats are little-endian; a wide string is vaWString, a 32-bit length in UTF-16 units, then
// UTF-16LE.
#pragma once
#include <functional>
#include <memory>
#include <string_view>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/rtl/Streams.h"

namespace orv {

enum TValueType : Byte {
  vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6,
  vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13,
  vaCollection = 14, vaSingle = 15, vaCurrency = 16, vaDate = 17, vaWString = 18, vaInt64 = 19,
  vaUTF8String = 20
};

// Texts of the reader's errors (EReadError unless said otherwise).
inline constexpr const char* SInvalidPropertyValue = "Ung\xFCltiger Wert der Eigenschaft";
inline constexpr const char* SResNotFound = "Ressource %s nicht gefunden";  // EResNotFound
inline constexpr const char* SInvalidImage = "Ung\xFCltiges Stream-Format";
inline constexpr const char* SUnknownProperty = "Eigenschaft %s existiert nicht";
inline constexpr const char* SClassNotFound = "Klasse %s nicht gefunden";      // EClassNotFound
inline constexpr const char* SMethodNotFound = "Methode %s nicht gefunden";
inline constexpr const char* SUnresolvedReference = "Komponente %s nicht gefunden";
inline constexpr const char* SFieldType = "Das Feld %s passt nicht zur Klasse %s";

class EResNotFound : public Exception { public: using Exception::Exception; };

class TWriter;
using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TFiler {
 public:
  explicit TFiler(TStream& stream) : FStream(stream) {}
  virtual ~TFiler() = default;
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;

  // A stream entry of the current object named name. The reader calls readData when the entry
  // being read has that name; the writer writes the entry through writeData when hasData is true.
  virtual void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                              const TWriterProc& writeData, bool hasData) = 0;
  // The same for a block of bytes (vaBinary, a 32-bit length, the bytes): readData gets a stream
  // over exactly those bytes; writeData writes them.
  virtual void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;

  TComponent* Root() const { return FRoot; }
  // The writer's object to compare with: properties equal to it are not written. The reader has
  // none.
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* ancestor) { FAncestor = ancestor; }
  TStream& Stream() { return FStream; }

 protected:
  TStream& FStream;
  TComponent* FRoot = nullptr;
  TPersistent* FAncestor = nullptr;
};

class TReader : public TFiler {
 public:
  explicit TReader(TStream& stream);
  ~TReader() override;

  // Reads the root component of a stream (after "TPF0"). With root given the description is
  // read into it whatever class the stream names (a form reads the descriptions of its ancestor
  // classes too), and the stream's name is taken only when the root has none; without root, the
  // stream's class is made by name. Children are made by registered class name (owned by
  // the root), named, given their parent, read, and bound to the root's fields of their name.
  // Component references are resolved after everything is read, then Loaded runs on each
  // component, nested ones before those that contain them, the root last. On failure the state
  // flags are cleared again and the error passes on; made children stay owned by the root.
  TComponent* ReadRootComponent(TComponent* root);
  // The properties and children of instance, up to and with their end markers.
  void ReadData(TComponent* instance);

  // The component that owns what is read (the root while a root is read), or nullptr.
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* owner) { FOwner = owner; }
  // The component whose block encloses the one being read.
  TComponent* Parent() const { return FParent; }

  void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // The type of the next value, without consuming it.
  TValueType NextValue();
  TValueType ReadValue();
  // Every Read* raises EReadError "Ungültiger Wert der Eigenschaft" when the next value is not
  // of a fitting type, and EReadError "Stream-Read-Fehler" at a truncated stream.
  Int64 ReadInt64();
  Integer ReadInteger();   // vaInt8/16/32 (and vaInt64 within range)
  bool ReadBoolean();
  // vaExtended, vaSingle, vaDate, vaCurrency, or an integer; a value that is not finite is
  // invalid.
  double ReadFloat();
  // vaString / vaLString: the stored bytes unconverted; vaWString and vaUTF8String converted to
  // the ANSI code page.
  AnsiString ReadString();
  // vaWString as it is; narrow strings through the ANSI code page; vaUTF8String from UTF-8.
  WideString ReadWideString();
  char ReadChar();         // a string of length 1
  WideChar ReadWideChar(); // a narrow or wide string of length 1
  AnsiString ReadIdent();  // vaIdent, and vaFalse/vaTrue/vaNil as "False"/"True"/"nil"
  void ReadListBegin();
  void ReadListEnd();
  // True when the next value is vaNull (the end of a list), without consuming it.
  bool EndOfList();
  // Skips one value of any type.
  void SkipValue();
  AnsiString ReadStr();    // a short string
  std::vector<Byte> ReadBinary();            // vaBinary
  std::vector<AnsiString> ReadSetNames();    // vaSet: its element names
  // Reads the signature "TPF0" (EReadError "Ungültiges Stream-Format" when absent).
  void ReadSignature();
  // The filer flags before a component's class name; inherited and inline components are not
  // supported and raise EReadError "Ungültiges Stream-Format".
  void ReadPrefix();

 private:
  double ReadFloatValue();
  struct Impl;
  std::unique_ptr<Impl> FImpl;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  friend struct ReaderAccess;
};

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& stream);
  ~TWriter() override;

  // Writes "TPF0" and root with its children. Properties equal to their declared default (or,
  // with an ancestor, to the ancestor's value) and those not stored are left out.
  void WriteDescendent(TComponent* root, TComponent* ancestor);
  void WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }
  // The properties (published, then stream-defined) and children of instance, with end markers.
  void WriteData(TComponent* instance);
  // The ancestor given for the root (nullptr when none).
  TComponent* RootAncestor() const { return FRootAncestor; }

  void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  void WriteValue(TValueType value);
  void WriteInteger(Int64 value);  // the smallest of vaInt8/16/32/64
  void WriteBoolean(bool value);
  void WriteFloat(double value);   // vaExtended
  // vaString up to 255 bytes, vaLString beyond; the bytes as they are.
  void WriteString(const AnsiString& value);
  void WriteWideString(const WideString& value);  // vaWString
  void WriteChar(char value);
  void WriteWideChar(WideChar value);
  void WriteIdent(const AnsiString& ident);  // "False"/"True"/"nil" become their markers
  void WriteListBegin();
  void WriteListEnd();
  void WriteStr(const AnsiString& value);   // a short string, at most 255 bytes
  void WriteBinary(const std::vector<Byte>& data);
  void WriteSetNames(const std::vector<AnsiString>& names);
  void WriteSignature();

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
  TComponent* FRootAncestor = nullptr;
  friend struct WriterAccess;
};

// Finds a top-level component (a form) by name, for references into another root ("Form2.Edit1")
// that the root being read does not own. Unset: such references are unresolved.
using TFindGlobalComponent = std::function<TComponent*(std::string_view name)>;
void SetFindGlobalComponent(TFindGlobalComponent find);

// The whole stream into an existing component (or a new one of the stream's class when instance
// is nullptr); returns the component read.
TComponent* ReadComponentFromStream(TStream& stream, TComponent* instance);
void WriteComponentToStream(TStream& stream, TComponent* instance, TComponent* ancestor = nullptr);

}  // namespace orv
