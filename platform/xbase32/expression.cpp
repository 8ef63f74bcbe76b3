#include "platform/xbase32/expression.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/xbase32/expression_text.h"

namespace xb {

namespace {

enum class Op : uint8_t {
    Literal,
    Field,
    Recno,
    Deleted,
    Neg,
    Not,
    And,
    Or,
    Eq,
    ExactEq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Contains,
    Add,
    Sub,
    Mul,
    Div,
    Upper,
    Lower,
    RTrim,
    LTrim,
    AllTrim,
    Substr,
    Left,
    Right,
    Str,
    Val,
    Dtos,
    Dtoc,
    Ctod,
    Empty,
    Iif
};

const char* TypeName(ValueType t) {
    switch (t) {
        case ValueType::Char:
            return "text";
        case ValueType::Numeric:
            return "numeric";
        case ValueType::Date:
            return "date";
        case ValueType::Logical:
            return "logical";
    }
    return "?";
}

struct Node {
    Op op = Op::Literal;
    ValueType type = ValueType::Char;
    int width = 0;
    int decimals = 0;
    int depth = 1;  // levels of nodes below and including this one
    Value literal;
    FieldDesc field;
    std::vector<std::unique_ptr<Node>> args;
};

using NodePtr = std::unique_ptr<Node>;

enum class Tok {
    End,
    Number,
    String,
    Ident,
    True,
    False,
    And,
    Or,
    Not,
    LParen,
    RParen,
    Comma,
    Plus,
    Minus,
    Star,
    Slash,
    Eq,
    EqEq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Dollar,
    Arrow
};

struct Token {
    Tok kind = Tok::End;
    std::string text;
    std::size_t pos = 0;  // 1-based, for messages
};

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsIdentStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsIdentChar(char c) {
    return IsIdentStart(c) || IsDigit(c);
}

[[noreturn]] void Fail(std::string_view text, std::size_t pos, const std::string& what) {
    throw ExpressionError("Invalid expression \"" + std::string(text) + "\": " + what +
                          " at position " + std::to_string(pos));
}

std::vector<Token> Lex(std::string_view s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    auto add = [&](Tok kind, std::size_t start, std::string text = {}) {
        tokens.push_back(Token{kind, std::move(text), start + 1});
    };
    while (i < s.size()) {
        const char c = s[i];
        const std::size_t start = i;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '\'' || c == '"' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const std::size_t end = s.find(close, i + 1);
            if (end == std::string_view::npos) {
                Fail(s, start + 1, "unterminated text");
            }
            add(Tok::String, start, std::string(s.substr(i + 1, end - i - 1)));
            i = end + 1;
        } else if (IsDigit(c) || (c == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))) {
            while (i < s.size() && IsDigit(s[i])) {
                ++i;
            }
            if (i + 1 < s.size() && s[i] == '.' && IsDigit(s[i + 1])) {
                ++i;
                while (i < s.size() && IsDigit(s[i])) {
                    ++i;
                }
            }
            add(Tok::Number, start, std::string(s.substr(start, i - start)));
        } else if (c == '.') {
            std::size_t end = i + 1;
            while (end < s.size() && IsIdentStart(s[end])) {
                ++end;
            }
            if (end >= s.size() || s[end] != '.') {
                Fail(s, start + 1, "unexpected '.'");
            }
            const std::string word = AsciiUpper(s.substr(i + 1, end - i - 1));
            if (word == "T" || word == "Y") {
                add(Tok::True, start);
            } else if (word == "F" || word == "N") {
                add(Tok::False, start);
            } else if (word == "AND") {
                add(Tok::And, start);
            } else if (word == "OR") {
                add(Tok::Or, start);
            } else if (word == "NOT") {
                add(Tok::Not, start);
            } else {
                Fail(s, start + 1, "unknown operator ." + word + ".");
            }
            i = end + 1;
        } else if (IsIdentStart(c)) {
            while (i < s.size() && IsIdentChar(s[i])) {
                ++i;
            }
            add(Tok::Ident, start, std::string(s.substr(start, i - start)));
        } else {
            const char next = i + 1 < s.size() ? s[i + 1] : '\0';
            auto two = [&](Tok kind) {
                add(kind, start);
                i += 2;
            };
            auto one = [&](Tok kind) {
                add(kind, start);
                i += 1;
            };
            switch (c) {
                case '(':
                    one(Tok::LParen);
                    break;
                case ')':
                    one(Tok::RParen);
                    break;
                case ',':
                    one(Tok::Comma);
                    break;
                case '+':
                    one(Tok::Plus);
                    break;
                case '-':
                    next == '>' ? two(Tok::Arrow) : one(Tok::Minus);
                    break;
                case '*':
                    one(Tok::Star);
                    break;
                case '/':
                    one(Tok::Slash);
                    break;
                case '$':
                    one(Tok::Dollar);
                    break;
                case '#':
                    one(Tok::Ne);
                    break;
                case '=':
                    next == '=' ? two(Tok::EqEq) : one(Tok::Eq);
                    break;
                case '!':
                    next == '=' ? two(Tok::Ne) : one(Tok::Not);
                    break;
                case '<':
                    if (next == '=') {
                        two(Tok::Le);
                    } else if (next == '>') {
                        two(Tok::Ne);
                    } else {
                        one(Tok::Lt);
                    }
                    break;
                case '>':
                    next == '=' ? two(Tok::Ge) : one(Tok::Gt);
                    break;
                default:
                    Fail(s, start + 1, std::string("unexpected character '") + c + "'");
            }
        }
    }
    tokens.push_back(Token{Tok::End, {}, s.size() + 1});
    return tokens;
}

NodePtr MakeNode(Op op, ValueType type, int width, int decimals = 0) {
    auto node = std::make_unique<Node>();
    node->op = op;
    node->type = type;
    node->width = width;
    node->decimals = decimals;
    return node;
}

std::optional<int> ConstInt(const Node& node) {
    if (node.op != Op::Literal || node.type != ValueType::Numeric) {
        return std::nullopt;
    }
    return static_cast<int>(std::clamp(std::round(node.literal.number), -1e6, 1e6));
}

struct FunctionDef {
    const char* name;
    Op op;
    int minArgs;
    int maxArgs;
};

constexpr FunctionDef kFunctions[] = {
    {"UPPER", Op::Upper, 1, 1},     {"LOWER", Op::Lower, 1, 1}, {"TRIM", Op::RTrim, 1, 1},
    {"RTRIM", Op::RTrim, 1, 1},     {"LTRIM", Op::LTrim, 1, 1}, {"ALLTRIM", Op::AllTrim, 1, 1},
    {"SUBSTR", Op::Substr, 2, 3},   {"LEFT", Op::Left, 2, 2},   {"RIGHT", Op::Right, 2, 2},
    {"STR", Op::Str, 1, 3},         {"VAL", Op::Val, 1, 1},     {"DTOS", Op::Dtos, 1, 1},
    {"DTOC", Op::Dtoc, 1, 1},       {"CTOD", Op::Ctod, 1, 1},   {"RECNO", Op::Recno, 0, 0},
    {"DELETED", Op::Deleted, 0, 0}, {"EMPTY", Op::Empty, 1, 1}, {"IIF", Op::Iif, 3, 3},
};

constexpr int kMaxDepth = 500;  // well past the 100 filters the layer can join

class Parser {
  public:
    Parser(std::string_view text, std::span<const FieldDesc> fields)
        : text_(text), fields_(fields), tokens_(Lex(text)) {}

    NodePtr ParseAll() {
        if (Peek().kind == Tok::End) {
            Fail(text_, 1, "empty expression");
        }
        NodePtr root = ParseOr();
        if (Peek().kind != Tok::End) {
            Fail(text_, Peek().pos, "unexpected token");
        }
        return root;
    }

  private:
    const Token& Peek() const { return tokens_[index_]; }
    const Token& Next() { return tokens_[index_++]; }
    bool Accept(Tok kind) {
        if (Peek().kind == kind) {
            ++index_;
            return true;
        }
        return false;
    }
    void Expect(Tok kind, const char* what) {
        if (!Accept(kind)) {
            Fail(text_, Peek().pos, std::string("expected ") + what);
        }
    }

    void Need(const Node& node, ValueType type, std::size_t pos, const char* what) {
        if (node.type != type) {
            Fail(text_, pos,
                 std::string("type mismatch: ") + what + " needs " + TypeName(type) + ", not " +
                     TypeName(node.type));
        }
    }

    // Evaluation recurses over the tree, so its depth is bounded where it is built.
    void Attach(Node& parent, NodePtr child) {
        parent.depth = std::max(parent.depth, child->depth + 1);
        parent.args.push_back(std::move(child));
        if (parent.depth > kMaxDepth) {
            Fail(text_, Peek().pos, "nested too deeply");
        }
    }

    NodePtr Binary(Op op, ValueType type, NodePtr a, NodePtr b, int width, int decimals = 0) {
        NodePtr node = MakeNode(op, type, width, decimals);
        Attach(*node, std::move(a));
        Attach(*node, std::move(b));
        return node;
    }

    struct Nesting {
        explicit Nesting(Parser& p) : parser(p) {
            if (++parser.nesting_ > kMaxDepth) {
                Fail(parser.text_, parser.Peek().pos, "nested too deeply");
            }
        }
        ~Nesting() { --parser.nesting_; }
        Parser& parser;
    };

    NodePtr ParseOr() {
        const Nesting nesting(*this);
        NodePtr left = ParseAnd();
        while (Peek().kind == Tok::Or) {
            const std::size_t pos = Next().pos;
            NodePtr right = ParseAnd();
            Need(*left, ValueType::Logical, pos, ".OR.");
            Need(*right, ValueType::Logical, pos, ".OR.");
            left = Binary(Op::Or, ValueType::Logical, std::move(left), std::move(right), 1);
        }
        return left;
    }

    NodePtr ParseAnd() {
        NodePtr left = ParseNot();
        while (Peek().kind == Tok::And) {
            const std::size_t pos = Next().pos;
            NodePtr right = ParseNot();
            Need(*left, ValueType::Logical, pos, ".AND.");
            Need(*right, ValueType::Logical, pos, ".AND.");
            left = Binary(Op::And, ValueType::Logical, std::move(left), std::move(right), 1);
        }
        return left;
    }

    NodePtr ParseNot() {
        if (Peek().kind == Tok::Not) {
            const Nesting nesting(*this);
            const std::size_t pos = Next().pos;
            NodePtr operand = ParseNot();
            Need(*operand, ValueType::Logical, pos, ".NOT.");
            NodePtr node = MakeNode(Op::Not, ValueType::Logical, 1);
            Attach(*node, std::move(operand));
            return node;
        }
        return ParseRelation();
    }

    static std::optional<Op> RelationOp(Tok kind) {
        switch (kind) {
            case Tok::Eq:
                return Op::Eq;
            case Tok::EqEq:
                return Op::ExactEq;
            case Tok::Ne:
                return Op::Ne;
            case Tok::Lt:
                return Op::Lt;
            case Tok::Le:
                return Op::Le;
            case Tok::Gt:
                return Op::Gt;
            case Tok::Ge:
                return Op::Ge;
            case Tok::Dollar:
                return Op::Contains;
            default:
                return std::nullopt;
        }
    }

    NodePtr ParseRelation() {
        NodePtr left = ParseAdditive();
        while (const std::optional<Op> op = RelationOp(Peek().kind)) {
            const std::size_t pos = Next().pos;
            NodePtr right = ParseAdditive();
            if (*op == Op::Contains) {
                Need(*left, ValueType::Char, pos, "$");
                Need(*right, ValueType::Char, pos, "$");
            } else if (left->type != right->type) {
                Fail(text_, pos,
                     std::string("type mismatch: cannot compare ") + TypeName(left->type) +
                         " with " + TypeName(right->type));
            }
            left = Binary(*op, ValueType::Logical, std::move(left), std::move(right), 1);
        }
        return left;
    }

    NodePtr ParseAdditive() {
        NodePtr left = ParseMultiplicative();
        while (Peek().kind == Tok::Plus || Peek().kind == Tok::Minus) {
            const bool plus = Peek().kind == Tok::Plus;
            const std::size_t pos = Next().pos;
            NodePtr right = ParseMultiplicative();
            const ValueType a = left->type;
            const ValueType b = right->type;
            const Op op = plus ? Op::Add : Op::Sub;
            const int width = std::max({10, left->width, right->width});
            const int decimals = std::max(left->decimals, right->decimals);
            const int joined = left->width + right->width;
            if (a == ValueType::Char && b == ValueType::Char) {
                left = Binary(op, ValueType::Char, std::move(left), std::move(right), joined);
            } else if (a == ValueType::Numeric && b == ValueType::Numeric) {
                left = Binary(op, ValueType::Numeric, std::move(left), std::move(right), width,
                              decimals);
            } else if (a == ValueType::Date && b == ValueType::Numeric) {
                left = Binary(op, ValueType::Date, std::move(left), std::move(right), 8);
            } else if (plus && a == ValueType::Numeric && b == ValueType::Date) {
                left = Binary(op, ValueType::Date, std::move(left), std::move(right), 8);
            } else if (!plus && a == ValueType::Date && b == ValueType::Date) {
                left = Binary(op, ValueType::Numeric, std::move(left), std::move(right), 10);
            } else {
                Fail(text_, pos,
                     std::string("type mismatch: cannot ") + (plus ? "add " : "subtract ") +
                         TypeName(b) + (plus ? " to " : " from ") + TypeName(a));
            }
        }
        return left;
    }

    NodePtr ParseMultiplicative() {
        NodePtr left = ParseUnary();
        while (Peek().kind == Tok::Star || Peek().kind == Tok::Slash) {
            const bool times = Peek().kind == Tok::Star;
            const std::size_t pos = Next().pos;
            NodePtr right = ParseUnary();
            Need(*left, ValueType::Numeric, pos, times ? "*" : "/");
            Need(*right, ValueType::Numeric, pos, times ? "*" : "/");
            const int width = std::max({10, left->width, right->width});
            const int decimals = times ? left->decimals + right->decimals
                                       : std::max({2, left->decimals, right->decimals});
            left = Binary(times ? Op::Mul : Op::Div, ValueType::Numeric, std::move(left),
                          std::move(right), width, decimals);
        }
        return left;
    }

    NodePtr ParseUnary() {
        if (Peek().kind == Tok::Minus || Peek().kind == Tok::Plus) {
            const Nesting nesting(*this);
            const bool minus = Peek().kind == Tok::Minus;
            const std::size_t pos = Next().pos;
            NodePtr operand = ParseUnary();
            Need(*operand, ValueType::Numeric, pos, minus ? "unary -" : "unary +");
            if (!minus) {
                return operand;
            }
            if (operand->op == Op::Literal) {
                operand->literal.number = -operand->literal.number;
                return operand;
            }
            NodePtr node = MakeNode(Op::Neg, ValueType::Numeric, operand->width, operand->decimals);
            Attach(*node, std::move(operand));
            return node;
        }
        return ParsePrimary();
    }

    NodePtr ParsePrimary() {
        const Token& token = Next();
        switch (token.kind) {
            case Tok::Number: {
                const std::size_t point = token.text.find('.');
                const int decimals = point == std::string::npos
                                         ? 0
                                         : static_cast<int>(token.text.size() - point - 1);
                NodePtr node =
                    MakeNode(Op::Literal, ValueType::Numeric,
                             std::max(10, static_cast<int>(token.text.size())), decimals);
                node->literal.type = ValueType::Numeric;
                node->literal.number = ParseVal(token.text);
                return node;
            }
            case Tok::String: {
                NodePtr node =
                    MakeNode(Op::Literal, ValueType::Char, static_cast<int>(token.text.size()));
                node->literal.text = token.text;
                return node;
            }
            case Tok::True:
            case Tok::False: {
                NodePtr node = MakeNode(Op::Literal, ValueType::Logical, 1);
                node->literal.type = ValueType::Logical;
                node->literal.logical = token.kind == Tok::True;
                return node;
            }
            case Tok::LParen: {
                NodePtr inner = ParseOr();
                Expect(Tok::RParen, "')'");
                return inner;
            }
            case Tok::Ident:
                return ParseName(token);
            default:
                Fail(text_, token.pos,
                     token.kind == Tok::End ? "unexpected end" : "unexpected token");
        }
    }

    NodePtr ParseName(const Token& token) {
        if (Peek().kind == Tok::LParen) {
            Next();
            std::vector<NodePtr> args;
            std::vector<std::size_t> positions;
            if (!Accept(Tok::RParen)) {
                do {
                    positions.push_back(Peek().pos);
                    args.push_back(ParseOr());
                } while (Accept(Tok::Comma));
                Expect(Tok::RParen, "')' or ','");
            }
            return MakeCall(token, std::move(args), positions);
        }
        std::string name = AsciiUpper(token.text);
        std::size_t pos = token.pos;
        if (Accept(Tok::Arrow)) {  // alias->field: one table, so the alias is not checked
            const Token& field = Next();
            if (field.kind != Tok::Ident) {
                Fail(text_, field.pos, "expected a field name after '->'");
            }
            name = AsciiUpper(field.text);
            pos = field.pos;
        }
        for (const FieldDesc& f : fields_) {
            if (AsciiUpper(f.name) != name) {
                continue;
            }
            ValueType type = ValueType::Char;
            int width = f.width;
            switch (f.type) {
                case 'C':
                    break;
                case 'N':
                case 'F':
                    type = ValueType::Numeric;
                    break;
                case 'D':
                    type = ValueType::Date;
                    width = 8;
                    break;
                case 'L':
                    type = ValueType::Logical;
                    width = 1;
                    break;
                default:
                    Fail(text_, pos, "field " + name + " of type " + f.type + " has no value here");
            }
            NodePtr node =
                MakeNode(Op::Field, type, width, type == ValueType::Numeric ? f.decimals : 0);
            node->field = f;
            return node;
        }
        Fail(text_, pos, "unknown name " + name);
    }

    NodePtr MakeCall(const Token& token, std::vector<NodePtr> args,
                     const std::vector<std::size_t>& positions) {
        const std::string name = AsciiUpper(token.text);
        const FunctionDef* def = nullptr;
        for (const FunctionDef& f : kFunctions) {
            if (name == f.name) {
                def = &f;
            }
        }
        if (def == nullptr) {
            Fail(text_, token.pos, "unknown function " + name);
        }
        const int count = static_cast<int>(args.size());
        if (count < def->minArgs || count > def->maxArgs) {
            Fail(text_, token.pos, "wrong number of arguments to " + name);
        }
        auto need = [&](int i, ValueType type) {
            Need(*args[static_cast<std::size_t>(i)], type, positions[static_cast<std::size_t>(i)],
                 def->name);
        };
        const Node* first = args.empty() ? nullptr : args[0].get();
        NodePtr node;
        switch (def->op) {
            case Op::Upper:
            case Op::Lower:
            case Op::RTrim:
            case Op::LTrim:
            case Op::AllTrim:
                need(0, ValueType::Char);
                node = MakeNode(def->op, ValueType::Char, first->width);
                break;
            case Op::Substr: {
                need(0, ValueType::Char);
                need(1, ValueType::Numeric);
                int width = first->width;
                if (const auto start = ConstInt(*args[1]); start && *start >= 1) {
                    width = std::max(0, width - *start + 1);
                }
                if (count == 3) {
                    need(2, ValueType::Numeric);
                    if (const auto length = ConstInt(*args[2])) {
                        width = std::min(width, std::max(0, *length));
                    }
                }
                node = MakeNode(Op::Substr, ValueType::Char, width);
                break;
            }
            case Op::Left:
            case Op::Right: {
                need(0, ValueType::Char);
                need(1, ValueType::Numeric);
                int width = first->width;
                if (const auto length = ConstInt(*args[1])) {
                    width = std::clamp(*length, 0, width);
                }
                node = MakeNode(def->op, ValueType::Char, width);
                break;
            }
            case Op::Str: {
                need(0, ValueType::Numeric);
                // A bare field is shown as it is stored: its own width and decimals.
                int width = count == 1 && args[0]->op == Op::Field ? args[0]->field.width : 10;
                if (count >= 2) {
                    need(1, ValueType::Numeric);
                    if (const auto length = ConstInt(*args[1])) {
                        width = std::max(0, *length);
                    }
                }
                if (count == 3) {
                    need(2, ValueType::Numeric);
                }
                node = MakeNode(Op::Str, ValueType::Char, width);
                break;
            }
            case Op::Val:
                need(0, ValueType::Char);
                node = MakeNode(Op::Val, ValueType::Numeric, 10, 2);
                break;
            case Op::Dtos:
                need(0, ValueType::Date);
                node = MakeNode(Op::Dtos, ValueType::Char, 8);
                break;
            case Op::Dtoc:
                need(0, ValueType::Date);
                node = MakeNode(Op::Dtoc, ValueType::Char, 10);
                break;
            case Op::Ctod:
                need(0, ValueType::Char);
                node = MakeNode(Op::Ctod, ValueType::Date, 8);
                break;
            case Op::Recno:
                node = MakeNode(Op::Recno, ValueType::Numeric, 10);
                break;
            case Op::Deleted:
                node = MakeNode(Op::Deleted, ValueType::Logical, 1);
                break;
            case Op::Empty:
                node = MakeNode(Op::Empty, ValueType::Logical, 1);
                break;
            case Op::Iif: {
                need(0, ValueType::Logical);
                if (args[1]->type != args[2]->type) {
                    Fail(text_, positions[2],
                         std::string("type mismatch: IIF branches are ") + TypeName(args[1]->type) +
                             " and " + TypeName(args[2]->type));
                }
                node = MakeNode(Op::Iif, args[1]->type, std::max(args[1]->width, args[2]->width),
                                std::max(args[1]->decimals, args[2]->decimals));
                break;
            }
            default:
                Fail(text_, token.pos, "unknown function " + name);
        }
        for (NodePtr& arg : args) {
            Attach(*node, std::move(arg));
        }
        return node;
    }

    std::string_view text_;
    std::span<const FieldDesc> fields_;
    std::vector<Token> tokens_;
    std::size_t index_ = 0;
    int nesting_ = 0;
};

struct Ctx {
    const RecordRef& record;
    const EvalSettings& settings;
};

std::string_view FieldBytes(const FieldDesc& f, std::string_view record, std::string& spill) {
    const auto offset = static_cast<std::size_t>(std::max(f.offset, 0));
    const auto width = static_cast<std::size_t>(std::max(f.width, 0));
    if (offset + width <= record.size()) {
        return record.substr(offset, width);
    }
    // A short record reads as blanks where it has no bytes.
    spill.assign(width, ' ');
    if (offset < record.size()) {
        spill.replace(0, record.size() - offset, record.substr(offset));
    }
    return spill;
}

int ClampInt(double v) {
    return static_cast<int>(std::clamp(std::round(v), -1e9, 1e9));
}

Value Eval(const Node& n, const Ctx& ctx);

Value MakeLogical(bool b) {
    Value v;
    v.type = ValueType::Logical;
    v.logical = b;
    return v;
}

Value MakeNumber(double d) {
    Value v;
    v.type = ValueType::Numeric;
    v.number = d;
    return v;
}

Value MakeDate(int32_t day) {
    Value v;
    v.type = ValueType::Date;
    v.date = day;
    return v;
}

Value MakeText(std::string s) {
    Value v;
    v.text = std::move(s);
    return v;
}

int Compare(const Value& a, const Value& b, bool exact) {
    switch (a.type) {
        case ValueType::Char:
            return CompareText(a.text, b.text, exact);
        case ValueType::Numeric:
            return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
        case ValueType::Date:
            return a.date < b.date ? -1 : (a.date > b.date ? 1 : 0);
        case ValueType::Logical:
            return static_cast<int>(a.logical) - static_cast<int>(b.logical);
    }
    return 0;
}

Value EvalField(const Node& n, const Ctx& ctx) {
    std::string spill;
    const std::string_view bytes = FieldBytes(n.field, ctx.record.bytes, spill);
    switch (n.type) {
        case ValueType::Char:
            return MakeText(std::string(bytes));
        case ValueType::Numeric:
            return MakeNumber(ParseVal(bytes));
        case ValueType::Date:
            return MakeDate(DayFromDtos(bytes));
        case ValueType::Logical: {
            const char c = bytes.empty() ? ' ' : bytes.front();
            return MakeLogical(c == 'T' || c == 't' || c == 'Y' || c == 'y');
        }
    }
    return {};
}

bool IsEmptyValue(const Value& v) {
    switch (v.type) {
        case ValueType::Char:
            return TrimRight(v.text).empty();
        case ValueType::Numeric:
            return v.number == 0.0;
        case ValueType::Date:
            return v.date == 0;
        case ValueType::Logical:
            return !v.logical;
    }
    return true;
}

Value EvalDateArithmetic(Op op, const Value& a, const Value& b) {
    if (a.type == ValueType::Date && b.type == ValueType::Date) {
        return MakeNumber(static_cast<double>(a.date) - static_cast<double>(b.date));
    }
    const Value& date = a.type == ValueType::Date ? a : b;
    const Value& days = a.type == ValueType::Date ? b : a;
    if (date.date == 0) {
        return MakeDate(0);
    }
    const double shift = op == Op::Sub ? -std::round(days.number) : std::round(days.number);
    const double result = static_cast<double>(date.date) + shift;
    if (result < 1 || result > DayFromYmd(9999, 12, 31)) {
        return MakeDate(0);
    }
    return MakeDate(static_cast<int32_t>(result));
}

Value Eval(const Node& n, const Ctx& ctx) {
    auto arg = [&](std::size_t i) { return Eval(*n.args[i], ctx); };
    switch (n.op) {
        case Op::Literal:
            return n.literal;
        case Op::Field:
            return EvalField(n, ctx);
        case Op::Recno:
            return MakeNumber(ctx.record.recno);
        case Op::Deleted:
            return MakeLogical(!ctx.record.bytes.empty() && ctx.record.bytes.front() == '*');
        case Op::Neg: {
            Value v = arg(0);
            v.number = -v.number;
            return v;
        }
        case Op::Not:
            return MakeLogical(!arg(0).logical);
        case Op::And:
            return MakeLogical(arg(0).logical && arg(1).logical);
        case Op::Or:
            return MakeLogical(arg(0).logical || arg(1).logical);
        case Op::Eq:
        case Op::ExactEq:
        case Op::Ne:
        case Op::Lt:
        case Op::Le:
        case Op::Gt:
        case Op::Ge: {
            const Value a = arg(0);
            const Value b = arg(1);
            const int c = Compare(a, b, n.op == Op::ExactEq || ctx.settings.exact);
            switch (n.op) {
                case Op::Eq:
                case Op::ExactEq:
                    return MakeLogical(c == 0);
                case Op::Ne:
                    return MakeLogical(c != 0);
                case Op::Lt:
                    return MakeLogical(c < 0);
                case Op::Le:
                    return MakeLogical(c <= 0);
                case Op::Gt:
                    return MakeLogical(c > 0);
                default:
                    return MakeLogical(c >= 0);
            }
        }
        case Op::Contains: {
            const Value a = arg(0);
            const Value b = arg(1);
            return MakeLogical(b.text.find(a.text) != std::string::npos);
        }
        case Op::Add:
        case Op::Sub: {
            Value a = arg(0);
            const Value b = arg(1);
            if (a.type == ValueType::Char) {
                if (n.op == Op::Add) {
                    a.text += b.text;
                    return a;
                }
                // a - b: a's trailing blanks move to the end of the result.
                const std::string_view kept = TrimRight(a.text);
                const std::size_t blanks = a.text.size() - kept.size();
                std::string out(kept);
                out += b.text;
                out.append(blanks, ' ');
                return MakeText(std::move(out));
            }
            if (a.type == ValueType::Numeric && b.type == ValueType::Numeric) {
                return MakeNumber(n.op == Op::Add ? a.number + b.number : a.number - b.number);
            }
            return EvalDateArithmetic(n.op, a, b);
        }
        case Op::Mul:
            return MakeNumber(arg(0).number * arg(1).number);
        case Op::Div: {
            const double a = arg(0).number;
            const double b = arg(1).number;
            if (b == 0.0) {
                throw ExpressionError("Division by zero");
            }
            return MakeNumber(a / b);
        }
        case Op::Upper:
            return MakeText(UpperCp1252(arg(0).text));
        case Op::Lower:
            return MakeText(LowerCp1252(arg(0).text));
        case Op::RTrim:
            return MakeText(std::string(TrimRight(arg(0).text)));
        case Op::LTrim:
            return MakeText(std::string(TrimLeft(arg(0).text)));
        case Op::AllTrim:
            return MakeText(std::string(TrimLeft(TrimRight(arg(0).text))));
        case Op::Substr: {
            Value s = arg(0);
            const int size = static_cast<int>(s.text.size());
            int start = ClampInt(arg(1).number);
            if (start < 0) {
                start = std::max(1, size + start + 1);  // counted from the end
            } else if (start == 0) {
                start = 1;
            }
            if (start > size) {
                return MakeText({});
            }
            int length = size - start + 1;
            if (n.args.size() == 3) {
                length = std::clamp(ClampInt(arg(2).number), 0, length);
            }
            return MakeText(s.text.substr(static_cast<std::size_t>(start - 1),
                                          static_cast<std::size_t>(length)));
        }
        case Op::Left:
        case Op::Right: {
            Value s = arg(0);
            const auto size = static_cast<int>(s.text.size());
            const auto count =
                static_cast<std::size_t>(std::clamp(ClampInt(arg(1).number), 0, size));
            if (n.op == Op::Left) {
                return MakeText(s.text.substr(0, count));
            }
            return MakeText(s.text.substr(s.text.size() - count));
        }
        case Op::Str: {
            const double value = arg(0).number;
            int length = 10;
            int decimals = 0;
            if (n.args.size() == 1 && n.args[0]->op == Op::Field) {
                length = n.args[0]->field.width;
                decimals = n.args[0]->field.decimals;
            }
            if (n.args.size() >= 2) {
                length = ClampInt(arg(1).number);
            }
            if (n.args.size() == 3) {
                decimals = std::max(0, ClampInt(arg(2).number));
            }
            if (length > 4096) {
                throw ExpressionError("STR length " + std::to_string(length) + " out of range");
            }
            return MakeText(FormatStr(value, length, decimals));
        }
        case Op::Val:
            return MakeNumber(ParseVal(arg(0).text));
        case Op::Dtos:
            return MakeText(Dtos(arg(0).date));
        case Op::Dtoc:
            return MakeText(Dtoc(arg(0).date, ctx.settings.date));
        case Op::Ctod:
            return MakeDate(Ctod(arg(0).text, ctx.settings.date));
        case Op::Empty:
            return MakeLogical(IsEmptyValue(arg(0)));
        case Op::Iif:
            return arg(0).logical ? arg(1) : arg(2);
    }
    return {};
}

}  // namespace

struct Expression::Impl {
    std::string text;
    std::unique_ptr<Node> root;
};

Expression Expression::Compile(std::string_view text, std::span<const FieldDesc> fields) {
    auto impl = std::make_shared<Impl>();
    impl->text = std::string(text);
    impl->root = Parser(impl->text, fields).ParseAll();
    return Expression(std::move(impl));
}

const std::string& Expression::Text() const {
    return impl_->text;
}
ValueType Expression::Type() const {
    return impl_->root->type;
}
int Expression::Width() const {
    return impl_->root->width;
}
int Expression::Decimals() const {
    return impl_->root->decimals;
}

const FieldDesc* Expression::BareField() const {
    return impl_->root->op == Op::Field ? &impl_->root->field : nullptr;
}

Value Expression::Evaluate(const RecordRef& record, const EvalSettings& settings) const {
    return Eval(*impl_->root, Ctx{record, settings});
}

std::string Expression::EvaluateText(const RecordRef& record, const EvalSettings& settings) const {
    const Value v = Evaluate(record, settings);
    switch (v.type) {
        case ValueType::Char:
            return v.text;
        case ValueType::Numeric:
            return FormatStr(v.number, std::max(1, Width()), Decimals());
        case ValueType::Date:
            return Dtoc(v.date, settings.date);
        case ValueType::Logical:
            return v.logical ? ".T." : ".F.";
    }
    return {};
}

bool Expression::EvaluateLogical(const RecordRef& record, const EvalSettings& settings) const {
    if (Type() != ValueType::Logical) {
        throw ExpressionError("Expression \"" + Text() + "\" is not logical");
    }
    return Evaluate(record, settings).logical;
}

}  // namespace xb
