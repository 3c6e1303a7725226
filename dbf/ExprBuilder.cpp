// The expression parser's back half: the tree built by operator priority, argument checks with
// overloads, constant folding and the flattening of the tree into the evaluation list.
#include <algorithm>
#include <cstring>
#include <vector>
#include "dbf/ExprParser.h"

namespace orv {

namespace {

bool IsLeft(const TExprWord* w) { return w->ResultType() == exLeftBracket; }
bool IsRight(const TExprWord* w) { return w->ResultType() == exRightBracket; }

// Position of the bracket closing the one at open, or the count when it is not closed.
Integer MatchingBracket(const TExprCollection& list, Integer open) {
  Integer depth = 0;
  for (Integer i = open; i < list.Count(); ++i) {
    if (IsLeft(list.Items(i))) ++depth;
    else if (IsRight(list.Items(i)) && --depth == 0) return i;
  }
  return list.Count();
}

// Removes the pairs of brackets that enclose the whole list, found in one pass so that a long run of
// them costs no more than the list.
void RemoveOuterBrackets(TExprCollection& list) {
  const Integer n = list.Count();
  std::vector<Integer> match(static_cast<size_t>(n), n), open;
  for (Integer i = 0; i < n; ++i) {
    if (IsLeft(list.Items(i))) {
      open.push_back(i);
    } else if (IsRight(list.Items(i)) && !open.empty()) {
      match[static_cast<size_t>(open.back())] = i;
      open.pop_back();
    }
  }
  Integer k = 0;
  while (2 * k + 1 < n && IsLeft(list.Items(k)) && match[static_cast<size_t>(k)] == n - 1 - k) ++k;
  if (k == 0) return;
  list.DeleteAndDisposeRange(n - k, k);
  list.DeleteAndDisposeRange(0, k);
}

// Position of the first function or operator at bracket depth 0 from position from on, or the count.
Integer FindNextFunction(const TExprCollection& list, Integer from) {
  Integer depth = 0;
  for (Integer i = from; i < list.Count(); ++i) {
    const TExprWord* w = list.Items(i);
    if (IsLeft(w)) ++depth;
    else if (IsRight(w)) --depth;
    else if (depth == 0 && w->IsFunction()) return i;
  }
  return list.Count();
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

TCustomExpressionParser::TNodePtr TCustomExpressionParser::MakeTree(TExprCollection list, int depth) {
  if (depth >= kMaxExprDepth) throw EParserException("Expression too deeply nested");
  Integer start = 0;
  TNodePtr result;
  bool firstPass = true;
  RemoveOuterBrackets(list);
  do {
    TNodePtr node = NewExprNode();
    int slot = 0;
    auto addArg = [&](TNodePtr arg) {
      if (slot >= kMaxArgs) throw EParserException("Function or operand has too many arguments");
      node->Height = std::max(node->Height, arg->Height + 1);
      if (node->Height > kMaxExprDepth) throw EParserException("Expression too deeply nested");
      node->ArgNode[slot++] = std::move(arg);
    };
    auto subTree = [&](Integer from, Integer to) { addArg(MakeTree(list.Slice(from, to), depth + 1)); };
    if (result) addArg(std::move(result));

    if (firstPass && list.Count() == 1) {
      TExprWord* w = list.Items(0);
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
    Integer f = FindNextFunction(list, start);
    if (f >= list.Count()) throw EParserException("Operand/function missing");
    TExprWord* w = list.Items(f);
    node->Word = w;
    node->Routine = w->Routine();
    if (!w->IsOperator()) {
      // Words before a function are never dropped: they would make a second operand.
      if (f > start || !firstPass) {
        const TExprWord* before = f > 0 ? list.Items(f - 1) : nullptr;
        throw EParserException("Missing operator between '" + (before ? before->Name() : AnsiString()) + "' and '" +
                               w->Name() + "'");
      }
      if (f + 1 < list.Count() && IsLeft(list.Items(f + 1))) {
        const Integer close = MatchingBracket(list, f + 1);
        if (close >= list.Count()) throw EParserException("Unequal brackets");
        Integer partStart = f + 2;
        Integer level = 0;
        for (Integer i = f + 2; i <= close; ++i) {
          if (i == close || (level == 0 && list.Items(i)->ResultType() == exComma)) {
            subTree(partStart, i);
            partStart = i + 1;
          } else if (IsLeft(list.Items(i))) {
            ++level;
          } else if (IsRight(list.Items(i))) {
            --level;
          }
        }
        f = close;
      } else if (f + 1 < list.Count()) {
        subTree(f + 1, f + 2);
        f = f + 1;
      }
    } else if (f > start) {
      subTree(0, f);
    }
    const Integer priority = PriorityOf(w);
    Integer next = FindNextFunction(list, f + 1);
    while (next < list.Count() && PriorityOf(list.Items(next)) < priority) next = FindNextFunction(list, next + 1);
    if (next > f + 1) subTree(f + 1, next);
    start = next;
    result = std::move(node);
    firstPass = false;
  } while (start < list.Count());
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
    if (other && FWordsList.CompareKeys(FWordsList.KeyOfItem(other), FWordsList.KeyOfItem(w)) == 0) {
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
  // The subtree runs once as a temporary evaluation list; its result becomes a constant.
  FResultPos = FResultBuffer;
  BuildEvalList(std::move(node), &FResultBuffer, &FResultPos, &FResultSize, &FResultStore);
  Evaluate();
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
  DisposeEvalList();
  TNodePtr folded = NewExprNode();
  folded->Word = AddConstant(std::move(constant));
  folded->Routine = folded->Word->Routine();
  folded->Args[0] = folded->Word->AsPointer();
  return folded;
}

void TCustomExpressionParser::BuildEvalList(TNodePtr node, Byte** buffer, Byte** pos, Integer* size,
                                            std::unique_ptr<Byte[]>* owner) {
  if (!node->Routine) {
    // A word without a routine writes its arguments one after another into the same destination.
    for (auto& arg : node->ArgNode)
      if (arg) BuildEvalList(std::move(arg), buffer, pos, size, owner);
    return;  // the node itself is freed here
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
                  &node->ArgBuf[i]);
  }
  node->Result = TDynamicType(buffer, pos, size, owner);
  AppendToList(std::move(node));
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
