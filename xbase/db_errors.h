#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/database_error.h"
#include "xbase/result_codes.h"

namespace xbase {

// The data sets' own failures: the class library's.
using db::EDatabaseError;

// One entry of an engine error.
class TDBError {
  public:
    TDBError(DbiResult errorCode, int32_t nativeError, std::string message)
        : errorCode_(errorCode), nativeError_(nativeError), message_(std::move(message)) {}
    DbiResult ErrorCode() const { return errorCode_; }
    int32_t NativeError() const { return nativeError_; }
    const std::string& Message() const { return message_; }

  private:
    DbiResult errorCode_;
    int32_t nativeError_;
    std::string message_;
};

// A non-zero answer of the layer, raised by the step that checked it.
class EDBEngineError : public EDatabaseError {
  public:
    explicit EDBEngineError(DbiResult code);
    const std::vector<TDBError>& Errors() const { return errors_; }
    DbiResult ErrorCode() const { return code_; }

  private:
    struct Built {
        std::vector<TDBError> errors;
        std::string message;
    };
    EDBEngineError(DbiResult code, Built built);
    static Built Build(DbiResult code);

    DbiResult code_;
    std::vector<TDBError> errors_;
};

// Raises EDBEngineError for every non-zero result.
void Check(DbiResult result);
// As Check, but lets `tolerated` pass.
void CheckTolerating(DbiResult result, DbiResult tolerated);

}  // namespace xbase
