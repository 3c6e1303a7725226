// The expression parser's back half: the tree built by operator priority, argument checks with
// overloads, constant folding and the flattening of the tree into the evaluation list.
#include <algorithm>
#include <cstring>
#include "dbf/ExprParser.h"

namespace orv {

namespace {

using TWordList = std::vector<TExprWord*>;

bool IsLeft(const TExprWord* w) { return w->ResultType() == exLeftBracket; }
bool IsRight(const TExprWord* w) { return w->ResultType() == exRightBracket; }

// Position of the bracket closing the one at open, or the list's size when it is not closed.
size_t MatchingBracket(const TWordList& list, size_t open) {
  Integer depth = 0;
  for (size_t i = open; i < list.size(); ++i) {
    if (IsLeft(list[i])) ++depth;
    else if (IsRight(list[i]) && --depth == 0) return i;
  }
  return list.size();
}

// Pairs of brackets that enclose the whole list, found in one pass so that a long run of them
// costs no more than the list.
void RemoveOuterBrackets(TWordList& list) {
  const size_t n = list.size();
  std::vector<size_t> match(n, n), open;
  for (size_t i = 0; i < n; ++i) {
    if (IsLeft(list[i])) {
      open.push_back(i);
    } else if (IsRight(list[i]) && !open.empty()) {
      match[open.back()] = i;
      open.pop_back();
    }
  }
  size_t k = 0;
  while (2 * k + 1 < n && IsLeft(list[k]) && match[k] == n - 1 - k) ++k;
  if (k == 0) return;
  list.erase(list.end() - static_cast<ptrdiff_t>(k), list.end());
  list.erase(list.begin(), list.begin() + static_cast<ptrdiff_t>(k));
}

size_t FindNextFunction(const TWordList& list, size_t from) {
  Integer depth = 0;
  for (size_t i = from; i < list.size(); ++i) {
    if (IsLeft(list[i])) ++depth;
    else if (IsRight(list[i])) --depth;
    else if (depth == 0 && list[i]->IsFunction()) return i;
  }
  return list.size();
}

Integer PriorityOf(const TExprWord* w) {
  const auto* f = dynamic_cast<const TFunction*>(w);
  return f ? f->Priority() : 0;
}

bool HasVariable(const TExpressionNode& node) {
  if (node.Word->CanVary()) return true;
  for (const auto& arg : node.ArgNode)
    if (arg && HasVariable(*arg)) return true;
  return false;
}

}  // namespace

TCustomExpressionParser::TNodePtr TCustomExpressionParser::MakeTree(TWordList list, int depth) {
  if (depth >= kMaxExprDepth) throw EParserException("Expression too deeply nested");
  size_t start = 0;
  TNodePtr result;
  bool firstPass = true;
  RemoveOuterBrackets(list);
  do {
    auto node = std::make_unique<TExpressionNode>();
    int slot = 0;
    auto addArg = [&](TNodePtr arg) {
      if (slot >= kMaxArgs) throw EParserException("Function or operand has too many arguments");
      node->Height = std::max(node->Height, arg->Height + 1);
      if (node->Height > kMaxExprDepth) throw EParserException("Expression too deeply nested");
      node->ArgNode[slot++] = std::move(arg);
    };
    auto subTree = [&](size_t from, size_t to) {  // words [from, to)
      addArg(MakeTree(TWordList(list.begin() + static_cast<ptrdiff_t>(from), list.begin() + static_cast<ptrdiff_t>(to)),
                      depth + 1));
    };
    if (result) addArg(std::move(result));

    if (firstPass && list.size() == 1) {
      TExprWord* w = list[0];
      if (IsLeft(w) || IsRight(w) || w->ResultType() == exComma)
        throw EParserException("Operand/function missing");
      node->Word = w;
      node->Routine = w->Routine();
      if (w->IsValueWord()) {
        node->Args[0] = w->AsPointer();
        if (w->FixedLength() >= 0) node->Args[1] = w->LengthAddress();
      }
      return node;
    }
    size_t f = FindNextFunction(list, start);
    if (f >= list.size()) throw EParserException("Operand/function missing");
    TExprWord* w = list[f];
    node->Word = w;
    node->Routine = w->Routine();
    if (!w->IsOperator()) {
      // Words before a function are never dropped: they would make a second operand.
      if (f > start || !firstPass) {
        const TExprWord* before = f > 0 ? list[f - 1] : nullptr;
        throw EParserException("Missing operator between '" + (before ? before->Name() : AnsiString()) + "' and '" +
                               w->Name() + "'");
      }
      if (f + 1 < list.size() && IsLeft(list[f + 1])) {
        const size_t close = MatchingBracket(list, f + 1);
        if (close >= list.size()) throw EParserException("Unequal brackets");
        size_t partStart = f + 2;
        Integer level = 0;
        for (size_t i = f + 2; i <= close; ++i) {
          if (i == close || (level == 0 && list[i]->ResultType() == exComma)) {
            subTree(partStart, i);
            partStart = i + 1;
          } else if (IsLeft(list[i])) {
            ++level;
          } else if (IsRight(list[i])) {
            --level;
          }
        }
        f = close;
      } else if (f + 1 < list.size()) {
        subTree(f + 1, f + 2);
        f = f + 1;
      }
    } else if (f > start) {
      subTree(0, f);
    }
    const Integer priority = PriorityOf(w);
    size_t next = FindNextFunction(list, f + 1);
    while (next < list.size() && PriorityOf(list[next]) < priority) next = FindNextFunction(list, next + 1);
    if (next > f + 1) subTree(f + 1, next);
    start = next;
    result = std::move(node);
    firstPass = false;
  } while (start < list.size());
  return result;
}

void TCustomExpressionParser::CheckArguments(TExpressionNode& node) {
  // Each argument is checked once: its overload does not depend on the one chosen here.
  for (auto& arg : node.ArgNode)
    if (arg) CheckArguments(*arg);
  for (;;) {
    const TExprWord* w = node.Word;
    int state = 0;
    const Integer maxArgs = std::min<Integer>(w->MaxArgs(), kMaxArgs);
    const AnsiString spec = w->TypeSpec();
    Integer i = 0;
    for (; i < maxArgs && node.ArgNode[i] && state == 0; ++i)
      if (TypeOfLetter(spec[static_cast<size_t>(i)]) != node.ArgNode[i]->Word->ResultType()) state = 2;
    if (state == 0 && i < w->MinArgs()) state = 1;
    if (state == 0)
      for (Integer j = maxArgs; j < kMaxArgs; ++j)
        if (node.ArgNode[j]) state = 3;
    if (state == 0) return;
    const Integer index = FWordsList.IndexOfItem(w);
    TExprWord* other = index >= 0 && index + 1 < FWordsList.Count() ? FWordsList.Items(index + 1) : nullptr;
    if (other && other->Name() == w->Name()) {
      node.Word = other;
      node.Routine = other->Routine();
      continue;
    }
    if (state == 1) throw EParserException("Function or operand has too few arguments");
    if (state == 2) throw EParserException("Argument type mismatch");
    throw EParserException("Function or operand has too many arguments");
  }
}

TCustomExpressionParser::TNodePtr TCustomExpressionParser::FoldConstants(TNodePtr node) {
  if (HasVariable(*node)) {
    for (Integer i = 0; i < std::min<Integer>(node->Word->MaxArgs(), kMaxArgs); ++i)
      if (node->ArgNode[i]) node->ArgNode[i] = FoldConstants(std::move(node->ArgNode[i]));
    return node;
  }
  const TExprType type = node->Word->ResultType();
  if (node->Word->IsValueWord() || (type != exBoolean && type != exFloat && type != exString)) return node;
  FResultPos = FResultBuffer;
  TEvalList temp;
  BuildEvalList(std::move(node), &FResultBuffer, &FResultPos, &FResultSize, &FResultStore, temp);
  FEvalList = std::move(temp);
  Evaluate();
  temp = std::move(FEvalList);
  FEvalList.clear();
  std::unique_ptr<TExprWord> constant;
  if (type == exBoolean) {
    constant = std::make_unique<TBooleanConstant>(FResultBuffer[0] ? "true" : "false", FResultBuffer[0]);
  } else if (type == exFloat) {
    double value = 0;
    std::memcpy(&value, FResultBuffer, sizeof value);
    constant = std::make_unique<TFloatConstant>("float", value);
  } else {
    const char* text = reinterpret_cast<const char*>(FResultBuffer);
    constant = std::make_unique<TStringConstant>(text, AnsiString(text));
  }
  auto folded = std::make_unique<TExpressionNode>();
  folded->Word = constant.get();
  folded->Routine = constant->Routine();
  folded->Args[0] = constant->AsPointer();
  FConstantsList.push_back(std::move(constant));
  return folded;
}

void TCustomExpressionParser::BuildEvalList(TNodePtr node, Byte** buffer, Byte** pos, Integer* size,
                                            std::unique_ptr<Byte[]>* owner, TEvalList& list) {
  if (!node->Routine) {
    // A word without a routine writes its arguments one after another into the same destination.
    for (auto& arg : node->ArgNode)
      if (arg) BuildEvalList(std::move(arg), buffer, pos, size, owner, list);
    return;
  }
  node->ResetDest = *pos == *buffer;
  ++*pos;
  for (int i = 0; i < kMaxArgs; ++i) {
    if (!node->ArgNode[i]) continue;
    node->ArgType[i] = node->ArgNode[i]->Word->ResultType();
    node->ArgBuf[i] = std::make_unique<Byte[]>(32);
    node->Args[i] = node->ArgBuf[i].get();
    node->ArgPos[i] = node->Args[i];
    node->ArgSize[i] = 32;
    BuildEvalList(std::move(node->ArgNode[i]), &node->Args[i], &node->ArgPos[i], &node->ArgSize[i],
                  &node->ArgBuf[i], list);
  }
  node->Result = TDynamicType(buffer, pos, size, owner);
  list.push_back(std::move(node));
}

Integer TCustomExpressionParser::TreeLength(const TExpressionNode& node) const {
  const TExprWord* w = node.Word;
  if (w->IsValueWord()) return std::max<Integer>(w->MaxLength(), 0);
  Integer lengths[kMaxArgs] = {};
  Int64 sum = 0;
  for (int i = 0; i < kMaxArgs; ++i) {
    if (node.ArgNode[i] && node.ArgNode[i]->Word->ResultType() == exString) lengths[i] = TreeLength(*node.ArgNode[i]);
    sum += lengths[i];
  }
  const auto* f = dynamic_cast<const TFunction*>(w);
  if (f && f->LengthRule()) return f->LengthRule()(node, lengths);
  return static_cast<Integer>(std::min<Int64>(sum, 0x7FFFFFFF));
}

}  // namespace orv
