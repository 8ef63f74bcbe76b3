#pragma once

// Hand-built CAPI messages for tests of the line and the binding, independent of any codec.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace capisim_test {

class MessageBuilder {
  public:
    MessageBuilder(uint16_t appl_id, uint16_t command, uint16_t number = 0) {
        W(0).W(appl_id);
        bytes_.push_back(static_cast<uint8_t>(command >> 8));
        bytes_.push_back(static_cast<uint8_t>(command & 0xFF));
        W(number);
    }
    MessageBuilder& B(uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    MessageBuilder& W(uint16_t v) {
        return B(static_cast<uint8_t>(v & 0xFF)).B(static_cast<uint8_t>(v >> 8));
    }
    MessageBuilder& D(uint32_t v) {
        return W(static_cast<uint16_t>(v)).W(static_cast<uint16_t>(v >> 16));
    }
    MessageBuilder& S(const std::vector<uint8_t>& content = {}) {
        B(static_cast<uint8_t>(content.size()));
        bytes_.insert(bytes_.end(), content.begin(), content.end());
        return *this;
    }
    // TotalLength as counted, or as given to build a message that lies about itself.
    std::vector<uint8_t> Build(int total_length = -1) {
        const auto total = static_cast<uint16_t>(total_length < 0 ? bytes_.size() : total_length);
        bytes_[0] = static_cast<uint8_t>(total & 0xFF);
        bytes_[1] = static_cast<uint8_t>(total >> 8);
        return bytes_;
    }

  private:
    std::vector<uint8_t> bytes_;
};

class MessageReader {
  public:
    explicit MessageReader(const void* message) : p_(static_cast<const uint8_t*>(message)) {}
    uint16_t Total() const { return Word(0); }
    uint16_t Appl() const { return Word(2); }
    uint16_t Command() const { return static_cast<uint16_t>((p_[4] << 8) | p_[5]); }
    uint16_t Number() const { return Word(6); }
    uint32_t Address() const { return Dword(8); }
    // Reads the parameters after the address in order.
    uint16_t NextWord() {
        const uint16_t v = Word(pos_);
        pos_ += 2;
        return v;
    }
    std::string NextStruct() {
        const size_t n = p_[pos_];
        std::string content(reinterpret_cast<const char*>(p_ + pos_ + 1), n);
        pos_ += 1 + n;
        return content;
    }

  private:
    uint16_t Word(size_t at) const { return static_cast<uint16_t>(p_[at] | (p_[at + 1] << 8)); }
    uint32_t Dword(size_t at) const {
        return Word(at) | (static_cast<uint32_t>(Word(at + 2)) << 16);
    }
    const uint8_t* p_;
    size_t pos_ = 12;
};

// Bytes on the heap with nothing behind them, so that a read past the end is caught.
class ExactBuffer {
  public:
    explicit ExactBuffer(const std::vector<uint8_t>& bytes)
        : data_(new uint8_t[bytes.size()]), size_(bytes.size()) {
        std::memcpy(data_.get(), bytes.data(), bytes.size());
    }
    void* data() { return data_.get(); }
    size_t size() const { return size_; }

  private:
    std::unique_ptr<uint8_t[]> data_;
    size_t size_;
};

inline std::vector<uint8_t> ListenReq(uint16_t appl, uint32_t controller, uint32_t cip_mask) {
    return MessageBuilder(appl, 0x0580)
        .D(controller)
        .D(0x7F)
        .D(cip_mask)
        .D(0)
        .S({0x00, 0x80})
        .S({0x80})
        .Build();
}

// Reject 0 carries the B protocol (28 bytes); a refusal leaves it empty (19 bytes).
inline std::vector<uint8_t> ConnectResp(uint16_t appl, uint32_t plci, uint16_t reject) {
    MessageBuilder m(appl, 0x0283);
    m.D(plci).W(reject);
    if (reject == 0) {
        m.S({1, 0, 1, 0, 0, 0, 0, 0, 0});
    } else {
        m.S();
    }
    return m.S().S().S().S().Build();
}

// A message of the address only: the simple responses.
inline std::vector<uint8_t> Plain(uint16_t appl, uint16_t command, uint32_t address) {
    return MessageBuilder(appl, command).D(address).Build();
}

}  // namespace capisim_test
