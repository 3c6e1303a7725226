// The generic expression parser: tokeniser, syntax checks, tree building by priority, overload
// resolution, constant folding and the flat evaluation list run once per record.
#pragma once
#include <memory>
#include <string_view>
#include <vector>
#include "dbf/ExprWords.h"

namespace orv {

// Deepest tree a compile accepts; every recursion over a tree is bounded by it.
inline constexpr int kMaxExprDepth = 100;

class TCustomExpressionParser {
 public:
  TCustomExpressionParser();
  virtual ~TCustomExpressionParser();
  TCustomExpressionParser(const TCustomExpressionParser&) = delete;
  TCustomExpressionParser& operator=(const TCustomExpressionParser&) = delete;

  // Compiles text into the evaluation list (empty text compiles nothing). The caller clears an
  // earlier expression first. On failure the error is raised and no evaluation list exists.
  void Compile(std::string_view text);
  // Runs the evaluation list; the value is at ResultBuffer() until the next Evaluate or clear.
  void Evaluate();
  virtual TExprType GetResultType() const;
  virtual void ClearExpressions();
  // Largest length of the text the compiled expression can give (string results only).
  Integer MaxResultLength() const { return FMaxResultLength; }
  const Byte* ResultBuffer() const { return FResultBuffer; }
  bool HasExpression() const { return !FEvalList.empty(); }

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
  virtual void FillExpressionList() = 0;
  // May define a variable for a name the word table lacks.
  virtual void ResolveUnknownWord(std::string_view name) = 0;
  virtual void ReplaceExprWord(TExprWord* oldWord, TExprWord* newWord);
  virtual AnsiString GetExpression() const = 0;

  TExpressList& WordsList() { return FWordsList; }
  void AddWord(std::unique_ptr<TExprWord> word) { FWordsList.InsertItem(std::move(word)); }

 private:
  using TWordList = std::vector<TExprWord*>;
  using TNodePtr = std::unique_ptr<TExpressionNode>;
  using TEvalList = std::vector<TNodePtr>;

  TWordList Tokenise(std::string_view text);
  AnsiString ReadWord(std::string_view text, size_t& pos, bool& isConstant);
  void ReadNumber(std::string_view text, size_t& pos, bool hex);
  TExprWord* MakeConstant(const AnsiString& token);
  void CheckSyntax(TWordList& list);
  TNodePtr MakeTree(TWordList list, int depth);
  void CheckArguments(TExpressionNode& node);
  TNodePtr FoldConstants(TNodePtr node);
  void BuildEvalList(TNodePtr node, Byte** buffer, Byte** pos, Integer* size, std::unique_ptr<Byte[]>* owner,
                     TEvalList& list);
  Integer TreeLength(const TExpressionNode& node) const;
  void DisposeConstants() { FConstantsList.clear(); }

  std::vector<std::unique_ptr<TExprWord>> FConstantsList;
  TEvalList FEvalList;
  TExprType FRootType = exUnknown;
  Integer FMaxResultLength = 0;
  std::unique_ptr<Byte[]> FResultStore;
  Byte* FResultBuffer = nullptr;
  Byte* FResultPos = nullptr;
  Integer FResultSize = 32;
  TExpressList FWordsList;
};

}  // namespace orv
