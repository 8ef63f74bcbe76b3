#include "platform/agent/qt_character.h"

#include <algorithm>
#include <utility>

#include "platform/agent/voices.h"

namespace agent {

QtCharacter::QtCharacter(CharacterArt art, CharacterContext context)
    : art_(std::move(art)),
      context_(std::move(context)),
      window_(std::make_unique<CharacterWindow>(CharacterArt::kSize)),
      balloon_(std::make_unique<BalloonWindow>()),
      espeak_(std::make_unique<EspeakRun>(context_.espeak)),
      languageId_(kCharacterLanguage) {
    window_->SetFrame(art_.Rest());
    SetOpacity(0.0);
    window_->setWindowTitle(QString::fromStdString(art_.Name()));
    window_->OnClick([this](int button, int shift, QPoint at) {
        if (context_.click) {
            context_.click(button, shift, at);
        }
    });
}

QtCharacter::~QtCharacter() {
    espeak_->Cancel();
    if (voiced_ && context_.speech) {
        context_.speech->Stop();
    }
}

std::int16_t QtCharacter::Width() const {
    return static_cast<std::int16_t>(window_->width());
}
std::int16_t QtCharacter::Height() const {
    return static_cast<std::int16_t>(window_->height());
}

int QtCharacter::ReadingTimeMs(const std::string& text) {
    return std::clamp(1200 + 60 * static_cast<int>(text.size()), 1500, 10000);
}

QRect QtCharacter::Screen() const {
    return context_.screen ? context_.screen() : QRect();
}

void QtCharacter::Enqueue(Request request) {
    queue_.push_back(std::move(request));
}

bool QtCharacter::MoveTo(std::int16_t x, std::int16_t y, int speed) {
    Request r;
    r.kind = Request::Kind::Move;
    r.x = x;
    r.y = y;
    r.speed = speed;
    Enqueue(std::move(r));
    return true;
}

bool QtCharacter::Show(bool fast) {
    Request r;
    r.kind = Request::Kind::Show;
    r.fast = fast;
    Enqueue(std::move(r));
    visibleAhead_ = true;
    return true;
}

bool QtCharacter::Hide(bool fast) {
    Request r;
    r.kind = Request::Kind::Hide;
    r.fast = fast;
    Enqueue(std::move(r));
    visibleAhead_ = false;
    return true;
}

bool QtCharacter::Play(const std::string& animation) {
    Request r;
    r.kind = Request::Kind::Play;
    r.text = animation;
    Enqueue(std::move(r));
    return true;
}

bool QtCharacter::Speak(const std::string& text) {
    Request r;
    r.kind = Request::Kind::Speak;
    r.text = text;
    r.voice = VoiceForLanguage(languageId_);
    Enqueue(std::move(r));
    return true;
}

void QtCharacter::Advance(int ms) {
    int step = std::max(ms, 0);
    // A bound on instant requests per call keeps a flood of them from stalling the loop.
    for (int guard = 0; guard < 1000; ++guard) {
        if (!current_) {
            if (queue_.empty()) {
                return;
            }
            current_ = std::make_unique<Request>(std::move(queue_.front()));
            queue_.pop_front();
            elapsed_ = 0;
            if (Begin()) {
                current_.reset();
                continue;
            }
        }
        elapsed_ += step;
        step = 0;
        if (!Tick()) {
            return;
        }
        current_.reset();
    }
}

bool QtCharacter::Begin() {
    Request& r = *current_;
    switch (r.kind) {
        case Request::Kind::Move: {
            moveFrom_ = window_->pos() - Screen().topLeft();
            if (r.speed < kFrameMs / 2) {
                window_->move(Screen().topLeft() + QPoint(r.x, r.y));
                return true;
            }
            return false;
        }
        case Request::Kind::Show:
            window_->show();
            if (r.fast || window_->windowOpacity() >= 1.0) {
                SetOpacity(1.0);
                return true;
            }
            return false;
        case Request::Kind::Hide:
            if (!window_->isVisible()) {
                return true;
            }
            if (r.fast) {
                HideNow();
                return true;
            }
            return false;
        case Request::Kind::Play:
            if (art_.Frames(r.text).empty()) {
                return true;
            }
            window_->SetFrame(art_.Frames(r.text).front());
            return false;
        case Request::Kind::Speak:
            if (r.text.empty()) {
                return true;
            }
            BeginSpeech();
            return false;
    }
    return true;
}

bool QtCharacter::Tick() {
    Request& r = *current_;
    switch (r.kind) {
        case Request::Kind::Move: {
            const double t = std::min(1.0, static_cast<double>(elapsed_) / r.speed);
            const QPoint to(r.x, r.y);
            const QPoint at = moveFrom_ + (to - moveFrom_) * t;
            window_->move(Screen().topLeft() + at);
            return t >= 1.0;
        }
        case Request::Kind::Show:
            SetOpacity(std::min(1.0, static_cast<double>(elapsed_) / kFadeMs));
            return elapsed_ >= kFadeMs;
        case Request::Kind::Hide:
            if (elapsed_ >= kFadeMs) {
                HideNow();
                return true;
            }
            SetOpacity(1.0 - static_cast<double>(elapsed_) / kFadeMs);
            return false;
        case Request::Kind::Play: {
            const auto& frames = art_.Frames(r.text);
            const auto index = static_cast<std::size_t>(elapsed_ / kFrameMs);
            if (index >= frames.size()) {
                window_->SetFrame(art_.Rest());
                return true;
            }
            window_->SetFrame(frames[index]);
            return false;
        }
        case Request::Kind::Speak: {
            const int inPhase = elapsed_ - phaseStart_;
            switch (phase_) {
                case SpeechPhase::Producing:
                    return false;
                case SpeechPhase::Waiting: {
                    const auto state = context_.speech->Current();
                    if (state == SpeechOutput::State::Sounding) {
                        ShowBalloon();
                        phase_ = SpeechPhase::Voicing;
                        phaseStart_ = elapsed_;
                    } else if (state == SpeechOutput::State::Idle || inPhase >= kVoiceWaitMs) {
                        // Gone before it was seen, or never let through: the balloon alone.
                        ShowBalloon();
                        phase_ = SpeechPhase::Reading;
                        phaseStart_ = elapsed_;
                    }
                    return false;
                }
                case SpeechPhase::Voicing:
                    if (context_.speech->Current() == SpeechOutput::State::Idle) {
                        EndSpeech();
                        return true;
                    }
                    window_->SetFrame((inPhase / kFrameMs) % 2 ? art_.Rest() : art_.Speaking());
                    return false;
                case SpeechPhase::Reading:
                    if (inPhase >= ReadingTimeMs(r.text)) {
                        EndSpeech();
                        return true;
                    }
                    window_->SetFrame((inPhase / kFrameMs) % 2 ? art_.Rest() : art_.Speaking());
                    return false;
            }
            return false;
        }
    }
    return true;
}

void QtCharacter::BeginSpeech() {
    phase_ = SpeechPhase::Producing;
    phaseStart_ = elapsed_;
    voiced_ = false;
    Request& r = *current_;
    if (!context_.speech) {
        VoiceReady(std::nullopt, "no sound output");
        return;
    }
    espeak_->Start(r.text, r.voice, [this](std::optional<std::string> wav, std::string problem) {
        VoiceReady(std::move(wav), problem);
    });
}

void QtCharacter::VoiceReady(std::optional<std::string> wav, const std::string& problem) {
    if (!current_ || current_->kind != Request::Kind::Speak || phase_ != SpeechPhase::Producing) {
        return;
    }
    if (wav) {
        if (context_.speech->Play(*wav, current_->voice, current_->text)) {
            voiced_ = true;
            phase_ = SpeechPhase::Waiting;
            phaseStart_ = elapsed_;
            return;
        }
        AgentLog("speaking character: the voice did not play; the balloon alone");
    } else {
        AgentLog("speaking character: " + problem + "; the balloon alone");
    }
    ShowBalloon();
    phase_ = SpeechPhase::Reading;
    phaseStart_ = elapsed_;
}

void QtCharacter::ShowBalloon() {
    balloon_->SetText(QString::fromStdString(current_->text));
    balloon_->PlaceAbove(window_->geometry(), Screen());
    balloon_->show();
}

void QtCharacter::EndSpeech() {
    balloon_->hide();
    window_->SetFrame(art_.Rest());
    voiced_ = false;
}

void QtCharacter::SetOpacity(double opacity) {
    window_->setWindowOpacity(opacity);
}

void QtCharacter::HideNow() {
    window_->hide();
    balloon_->hide();
    SetOpacity(0.0);
    if (context_.hidden) {
        context_.hidden(kHiddenByProgram);
    }
}

}  // namespace agent
