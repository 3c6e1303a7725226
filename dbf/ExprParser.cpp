// The expression parser's front half: tokenising, syntax checks, the compile steps, evaluation and
// the maintenance of the word table.
#include "dbf/ExprParser.h"
#include <algorithm>
#include <cstring>
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

bool IsNamed(const TExprWord* w, std::string_view name) { return w->Name() == name; }

}  // namespace

TCustomExpressionParser::TCustomExpressionParser() {
  FResultStore = std::make_unique<Byte[]>(static_cast<size_t>(FResultSize));
  FResultBuffer = FResultStore.get();
  FResultPos = FResultBuffer;
  FWordsList.AllowDuplicates = true;
}

TCustomExpressionParser::~TCustomExpressionParser() {
  // The derived parser has cleared its own part already; the list goes before the words it names.
  TCustomExpressionParser::ClearExpressions();
  FResultStore.reset();
  FResultBuffer = FResultPos = nullptr;
  FWordsList.DisposeAll();
  FConstantsList.DisposeAll();
}

void TCustomExpressionParser::Compile(std::string_view text) {
  DisposeEvalList();
  FRootType = exUnknown;
  FMaxResultLength = 0;
  TNodePtr root;
  try {
    TExprCollection words = Tokenise(text);
    if (words.Count() == 0) return;
    CheckSyntax(words);
    root = MakeTree(std::move(words), 0);
    CheckArguments(*root);
    if (Optimize) root = FoldConstants(std::move(root));
    const TExprType type = root->Word->ResultType();
    FMaxResultLength = type == exString ? TreeLength(*root) : 0;
    FResultPos = FResultBuffer;
    BuildEvalList(std::move(root), &FResultBuffer, &FResultPos, &FResultSize, &FResultStore);
    FRootType = type;
  } catch (...) {
    DisposeTree(std::move(root));
    DisposeEvalList();
    FRootType = exUnknown;
    FMaxResultLength = 0;
    throw;
  }
}

void TCustomExpressionParser::Evaluate() {
  for (TExpressionNode* node = FListHead.get(); node; node = node->Next.get()) {
    if (node->ResetDest) node->Result.PositionRef() = node->Result.Buffer();
    node->Routine(node);
  }
}

TExprType TCustomExpressionParser::GetResultType() const {
  return FListHead ? FRootType : exUnknown;
}

void TCustomExpressionParser::ClearExpressions() {
  DisposeEvalList();
  FRootType = exUnknown;
  FMaxResultLength = 0;
}

void TCustomExpressionParser::AppendToList(TNodePtr node) {
  TExpressionNode* last = node.get();
  if (FListTail)
    FListTail->Next = std::move(node);
  else
    FListHead = std::move(node);
  FListTail = last;
}

void TCustomExpressionParser::DisposeEvalList() {
  while (FListHead) FListHead = std::move(FListHead->Next);
  FListTail = nullptr;
}

void TCustomExpressionParser::DefineIntegerVariable(std::string_view name, Integer* address) {
  DefineVariable(std::make_unique<TIntegerVariable>(name, address));
}
void TCustomExpressionParser::DefineLargeIntVariable(std::string_view name, Int64* address) {
  DefineVariable(std::make_unique<TLargeIntVariable>(name, address));
}
void TCustomExpressionParser::DefineDateTimeVariable(std::string_view name, double* address) {
  DefineVariable(std::make_unique<TDateTimeVariable>(name, address));
}
void TCustomExpressionParser::DefineFloatVariable(std::string_view name, double* address) {
  DefineVariable(std::make_unique<TFloatVariable>(name, address));
}
void TCustomExpressionParser::DefineStringVariable(std::string_view name, const char** address,
                                                   Integer fixedLength, Integer maxLength) {
  DefineVariable(std::make_unique<TStringVariable>(name, address, fixedLength, maxLength));
}

void TCustomExpressionParser::DefineVariable(std::unique_ptr<TExprWord> word) {
  Integer index = 0;
  if (FWordsList.FindKey(word->Name(), index)) {
    ReplaceExprWord(FWordsList.Items(index), word.get());
    FWordsList.DeleteAndDispose(index);
  }
  FWordsList.InsertItem(std::move(word));
}

void TCustomExpressionParser::ReplaceFunction(std::string_view name, std::unique_ptr<TExprWord> word) {
  if (!word && FListHead) throw Exception("Cannot undefine function/variable while expression present");
  Integer index = 0;
  if (FWordsList.FindKey(name, index)) {
    if (word) ReplaceExprWord(FWordsList.Items(index), word.get());
    FWordsList.DeleteAndDispose(index);
  }
  if (word) FWordsList.InsertItem(std::move(word));
}

void TCustomExpressionParser::ReplaceExprWord(TExprWord* oldWord, TExprWord* newWord) {
  if (oldWord->MaxArgs() != newWord->MaxArgs())
    throw Exception("Cannot replace variable/function MaxFunctionArg doesn't match");
  // The compiled routines around the word were chosen for its type.
  if (FListHead && oldWord->ResultType() != newWord->ResultType())
    throw Exception("Cannot replace variable/function of another result type while expression present");
  Byte* oldPtr = oldWord->AsPointer();
  for (TExpressionNode* node = FListHead.get(); node; node = node->Next.get()) {
    if (node->Word == oldWord) {
      node->Word = newWord;
      node->Routine = newWord->Routine();
      if (newWord->IsValueWord()) {
        node->Args[0] = newWord->AsPointer();
        node->Args[1] = newWord->FixedLength() >= 0 ? newWord->LengthAddress() : nullptr;
      }
      continue;
    }
    for (int i = 0; i < std::min(node->Word->MaxArgs(), kMaxArgs); ++i)
      if (oldPtr && node->Args[i] == oldPtr) node->Args[i] = newWord->AsPointer();
  }
}

// --- tokeniser ---

void TCustomExpressionParser::ReadNumber(std::string_view text, size_t& pos, bool hex) {
  while (pos < text.size() && (hex ? IsHexDigit(text[pos]) : IsDigit(text[pos]))) ++pos;
  if (pos < text.size() && text[pos] == DecimalChar) {
    ++pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
  }
  if (pos < text.size() && text[pos] == 'e') {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
  }
}

AnsiString TCustomExpressionParser::ReadWord(std::string_view text, size_t& pos, bool& isConstant) {
  isConstant = false;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (pos >= text.size()) return {};
  const size_t begin = pos;
  const char c = text[pos];
  auto next = [&](size_t at) { return at < text.size() ? text[at] : '\0'; };
  if (c == HexChar) {
    ++pos;
    if (IsHexDigit(next(pos))) {
      isConstant = true;
      ReadNumber(text, pos, true);
    } else {
      while (pos < text.size() && IsNameChar(text[pos])) ++pos;
    }
  } else if (c == DecimalChar || IsDigit(c)) {
    isConstant = true;
    ReadNumber(text, pos, false);
  } else if (c == '\'' || c == '"') {
    isConstant = true;
    const size_t close = text.find(c, pos + 1);
    pos = close == std::string_view::npos ? text.size() : close + 1;
  } else if (IsLetter(c) || c == '_') {
    while (pos < text.size() && IsNameChar(text[pos])) ++pos;
  } else if (c == '!' || c == '&' || c == '|' || c == ':') {
    const char n = next(pos + 1);
    const bool pair = (c == '!' && n == '=') || (c == '&' && n == '&') || (c == '|' && n == '|') ||
                      (c == ':' && n == '=');
    pos += pair ? 2 : 1;
  } else if (c == '<' || c == '>' || c == '=') {
    const char n = next(pos + 1);
    pos += (n == '<' || n == '=' || n == '>') ? 2 : 1;
  } else if ((c == '+' || c == '-') && next(pos + 1) == c) {
    const char pair[2] = {c, c};
    pos += FWordsList.Find(std::string_view(pair, 2)) ? 2 : 1;
  } else {
    ++pos;
  }
  return AnsiString(text.substr(begin, pos - begin));
}

TExprWord* TCustomExpressionParser::MakeConstant(const AnsiString& token) {
  std::unique_ptr<TExprWord> constant;
  if (token[0] == HexChar) {
    constant = std::make_unique<TIntegerConstant>(StrToInt("$" + token.substr(1)));
  } else if (token[0] == '\'' || token[0] == '"') {
    constant = std::make_unique<TStringConstant>(token);
  } else if (token.find(DecimalChar) != AnsiString::npos) {
    AnsiString local = token;
    std::replace(local.begin(), local.end(), DecimalChar, DecimalSeparator());
    constant = std::make_unique<TFloatConstant>(token, local);
  } else {
    constant = std::make_unique<TIntegerConstant>(StrToInt(token));
  }
  return AddConstant(std::move(constant));
}

TExprWord* TCustomExpressionParser::AddConstant(std::unique_ptr<TExprWord> constant) {
  return FConstantsList.Items(FConstantsList.Add(std::move(constant)));
}

TExprCollection TCustomExpressionParser::Tokenise(std::string_view text) {
  const AnsiString trimmed = Trim(text);
  TExprCollection list;
  size_t pos = 0;
  while (pos < trimmed.size()) {
    bool isConstant = false;
    const AnsiString token = ReadWord(trimmed, pos, isConstant);
    if (isConstant) {
      list.Add(MakeConstant(Trim(token)));
      continue;
    }
    const AnsiString word = Trim(token);
    if (word.empty()) continue;
    TExprWord* found = FWordsList.Find(word);
    if (!found) {
      ResolveUnknownWord(word);
      found = FWordsList.Find(word);
    }
    if (!found) throw EParserException("Unknown variable '" + word + "' found.");
    list.Add(found);
  }
  return list;
}

// --- syntax checks ---

void TCustomExpressionParser::CheckBrackets(const TExprCollection& list) const {
  Integer depth = 0;
  for (Integer i = 0; i < list.Count(); ++i) {
    const TExprWord* w = list.Items(i);
    if (w->ResultType() == exLeftBracket) ++depth;
    else if (w->ResultType() == exRightBracket) --depth;
  }
  if (depth != 0) throw EParserException("Unequal brackets");
}

void TCustomExpressionParser::CheckSyntax(TExprCollection& list) {
  CheckBrackets(list);

  auto isSign = [](const TExprWord* w) { return IsNamed(w, "-") || IsNamed(w, "+"); };
  for (Integer i = 0; i < list.Count(); ++i) {
    TExprWord* prev = i > 0 ? list.Items(i - 1) : nullptr;
    if (isSign(list.Items(i)) && (!prev || prev->ResultType() == exComma || prev->ResultType() == exLeftBracket ||
                                  (prev->IsOperator() && prev->MaxArgs() == 2))) {
      Integer end = i;
      bool negative = false;
      while (end < list.Count() && isSign(list.Items(end))) negative ^= IsNamed(list.Items(end++), "-");
      list.DeleteAndDisposeRange(i + 1, end - i - 1);
      if (TExprWord* sign = FWordsList.Find(negative ? "-@" : "+@")) list.Put(i, sign);
    }
    if (IsNamed(list.Items(i), "not") && (!prev || prev->ResultType() == exLeftBracket || prev->IsOperator())) {
      Integer end = i;
      while (end < list.Count() && IsNamed(list.Items(end), "not")) ++end;
      const Integer keep = (end - i) % 2;
      list.DeleteAndDisposeRange(i + keep, end - i - keep);
      if (i >= list.Count()) break;
    }
    TExprWord* w = list.Items(i);
    TExprWord* n = i + 1 < list.Count() ? list.Items(i + 1) : nullptr;
    const bool valueNext = n && n->IsValueWord();
    const bool functionNext = n && n->IsFunction() && !n->IsOperator();
    if (w->IsValueWord() && (valueNext || functionNext))
      throw EParserException("Missing operator between '" + w->Name() + "' and '" + n->Name() + "'");
    if (w->ResultType() == exLeftBracket && (!n || n->ResultType() == exRightBracket))
      throw EParserException("Empty brackets ()");
    if (w->ResultType() == exRightBracket && n) {
      if (n->ResultType() == exLeftBracket) throw EParserException("Missing operator between )(");
      if (valueNext) throw EParserException("Missing operator between ) and constant/variable");
      if (functionNext) throw EParserException("Missing operator between ')' and '" + n->Name() + "'");
    }
    if (w->IsValueWord() && n && n->ResultType() == exLeftBracket)
      throw EParserException("Missing operator between constant/variable and (");
    if (IsNamed(w, "^") && n && n->IsValueWord() && !n->CanVary() && n->ResultType() == exInteger)
      if (TExprWord* power = FWordsList.Find("^@")) list.Put(i, power);
  }
}

}  // namespace orv
