// The generic expression parser: tokeniser, syntax checks, tree building by priority, overload
// resolution, constant folding and the flat evaluation list run once per record.
#pragma once
#include <memory>
#include <string_view>
#include "dbf/ExprWordLists.h"

namespace orv {

// Deepest tree a compile accepts; every recursion over a tree is bounded by it.
inline constexpr int kMaxExprDepth = 100;

class TCustomExpressionParser {
 public:
  TCustomExpressionParser();
  virtual ~TCustomExpressionParser();
  TCustomExpressionParser(const TCustomExpressionParser&) = delete;
  TCustomExpressionParser& operator=(const TCustomExpressionParser&) = delete;

  // The virtual operations, in the order of their slots.
 protected:
  // Registers the words of the table.
  virtual void FillExpressionList() = 0;
  // May define a variable for a name the word table lacks.
  virtual void ResolveUnknownWord(std::string_view name) = 0;
  // Both words take as many arguments; nodes of the evaluation list that use the old word, or read
  // its value, are given the new one.
  virtual void ReplaceExprWord(TExprWord* oldWord, TExprWord* newWord);
  virtual AnsiString GetExpression() const = 0;

 public:
  // exUnknown while there is no evaluation list.
  virtual TExprType GetResultType() const;
  // Drops the evaluation list with its nodes and buffers; the constants stay until the parser is
  // destroyed.
  virtual void ClearExpressions();

  // Compiles text into the evaluation list (empty text compiles nothing). The caller clears an
  // earlier expression first. On failure the error is raised and no evaluation list exists.
  void Compile(std::string_view text);
  // Runs the evaluation list; the value is at ResultBuffer() until the next Evaluate or clear.
  void Evaluate();
  // Largest length of the text the compiled expression can give (string results only).
  Integer MaxResultLength() const { return FMaxResultLength; }
  const Byte* ResultBuffer() const { return FResultBuffer; }
  bool HasExpression() const { return FListHead != nullptr; }
  // The evaluation list, first entry to last along Next (none when nothing is compiled).
  const TExpressionNode* ListHead() const { return FListHead.get(); }
  const TExpressionNode* ListTail() const { return FListTail; }
  // Every constant the parser made; they stay until the parser is destroyed.
  const TOCollection<TExprWord>& ConstantsList() const { return FConstantsList; }

  // The addresses must stay valid while the variable is in the word table.
  void DefineIntegerVariable(std::string_view name, Integer* address);
  void DefineLargeIntVariable(std::string_view name, Int64* address);
  void DefineDateTimeVariable(std::string_view name, double* address);
  void DefineFloatVariable(std::string_view name, double* address);
  void DefineStringVariable(std::string_view name, const char** address, Integer fixedLength,
                            Integer maxLength = -1);
  void DefineVariable(std::unique_ptr<TExprWord> word);
  // Removes the word of that name (none given: Exception while an expression exists) and inserts
  // the new word if one is given.
  void ReplaceFunction(std::string_view name, std::unique_ptr<TExprWord> word);

  char HexChar = '$';
  char ArgSeparator = ',';
  char DecimalChar = '.';
  bool Optimize = true;

 protected:
  TExpressList& WordsList() { return FWordsList; }
  void AddWord(std::unique_ptr<TExprWord> word) { FWordsList.InsertItem(std::move(word)); }

 private:
  using TNodePtr = std::unique_ptr<TExpressionNode>;

  TExprCollection Tokenise(std::string_view text);
  AnsiString ReadWord(std::string_view text, size_t& pos, bool& isConstant);
  void ReadNumber(std::string_view text, size_t& pos, bool hex);
  TExprWord* MakeConstant(const AnsiString& token);
  TExprWord* AddConstant(std::unique_ptr<TExprWord> constant);
  void CheckBrackets(const TExprCollection& list) const;
  void CheckSyntax(TExprCollection& list);
  TNodePtr MakeTree(TExprCollection list, int depth);
  void CheckArguments(TExpressionNode& node);
  TNodePtr FoldConstants(TNodePtr node);
  // Appends the tree to the evaluation list in post-order; its root writes into the buffer whose
  // address, write position, size and owner are given.
  void BuildEvalList(TNodePtr node, Byte** buffer, Byte** pos, Integer* size, std::unique_ptr<Byte[]>* owner);
  void AppendToList(TNodePtr node);
  void DisposeEvalList();
  Integer TreeLength(const TExpressionNode& node) const;

  TOCollection<TExprWord> FConstantsList{10};
  TExpressionNode* FListTail = nullptr;
  TNodePtr FListHead;
  std::unique_ptr<Byte[]> FResultStore;
  Byte* FResultBuffer = nullptr;
  Byte* FResultPos = nullptr;
  Integer FResultSize = 32;
  TExpressList FWordsList{30};
  TExprType FRootType = exUnknown;
  Integer FMaxResultLength = 0;
};

}  // namespace orv
