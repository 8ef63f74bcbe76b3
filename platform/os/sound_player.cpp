#include "platform/os/sound_player.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <stop_token>
#include <thread>

namespace os {
namespace {

struct Job {
    std::vector<SoundClipPtr> clips;
    unsigned flags = 0;
    std::string voice;
    std::string text;
    std::unique_ptr<SoundStream> first_stream;  // opened at call time, when it starts at once
    std::stop_source stop;
    SoundEnd stop_reason = SoundEnd::Stopped;
    bool taken = false;
    bool done = false;

    bool Loops() const { return (flags & SND_LOOP) != 0; }
};
using JobPtr = std::shared_ptr<Job>;

SoundInfo InfoFor(SoundChannel channel, const Job& job, const SoundClip& clip) {
    SoundInfo info;
    info.channel = channel;
    info.name = clip.name;
    info.flags = job.flags;
    info.memory = clip.memory;
    info.rate = clip.rate;
    info.channels = clip.channels;
    info.frames = clip.Frames();
    info.voice = job.voice;
    info.text = job.text;
    return info;
}

}  // namespace

struct SoundPlayer::State {
    std::shared_ptr<SoundOutput> output;
    LogLine log;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool shutdown = false;
    JobPtr sound;                // the sound channel's one job
    JobPtr speech;               // the speech playing
    std::deque<JobPtr> waiting;  // speech not yet started
    std::mutex sound_calls;      // one sound-channel call at a time replaces the last

    std::jthread sound_thread;
    std::jthread speech_thread;

    void Log(const std::string& line) const {
        if (log) {
            log(line);
        } else {
            std::fprintf(stderr, "%s\n", line.c_str());
        }
    }

    // Speech holds back while a one-shot sound or a sequence plays; a loop would hold it forever.
    bool SpeechHeldBack() const { return sound && !sound->Loops(); }

    // Ends the sound channel's job and waits until its worker has let go (one block at most).
    void EndSound(std::unique_lock<std::mutex>& lock, SoundEnd reason) {
        if (!sound) {
            return;
        }
        JobPtr job = sound;
        if (!job->stop.stop_requested()) {
            job->stop_reason = reason;
            job->stop.request_stop();
        }
        changed.wait(lock, [&] { return job->done; });
    }

    std::unique_ptr<SoundStream> Open(const SoundInfo& info) {
        std::string error;
        auto stream = output->Open(info, error);
        if (!stream) {
            Log("Geluid niet afgespeeld, geen uitvoer: " + info.name + ": " + error);
        }
        return stream;
    }

    // Plays one clip on `stream`; a loop repeats it until stopped. Answers how it ended.
    static SoundEnd PlayClip(const SoundClip& clip, SoundStream& stream, const Job& job) {
        const std::stop_token stop = job.stop.get_token();
        const std::int64_t frames = clip.Frames();
        // Blocks of 20 ms keep a stop or a replacing sound within reach.
        const std::int64_t block = std::max(1, clip.rate / 50);
        do {
            for (std::int64_t at = 0; at < frames; at += block) {
                if (stop.stop_requested()) {
                    return job.stop_reason;
                }
                const std::int64_t n = std::min(block, frames - at);
                const auto offset = static_cast<std::size_t>(at * clip.channels);
                const auto count = static_cast<std::size_t>(n * clip.channels);
                if (!stream.Write(std::span(clip.samples).subspan(offset, count), n, stop)) {
                    return SoundEnd::Failed;
                }
            }
            if (stop.stop_requested()) {
                return job.stop_reason;
            }
            // A loop over nothing ends at once rather than spin.
        } while (job.Loops() && frames > 0);
        return SoundEnd::Finished;
    }

    void Run(SoundChannel channel, const JobPtr& job) {
        for (std::size_t i = 0; i < job->clips.size(); ++i) {
            const SoundClip& clip = *job->clips[i];
            std::unique_ptr<SoundStream> stream =
                i == 0 && job->first_stream ? std::move(job->first_stream) : nullptr;
            if (!stream) {
                if (job->stop.stop_requested()) {
                    return;
                }
                stream = Open(InfoFor(channel, *job, clip));
                if (!stream) {
                    return;
                }
            }
            const SoundEnd end = PlayClip(clip, *stream, *job);
            stream->Close(end);
            if (end != SoundEnd::Finished) {
                return;
            }
        }
    }

    void SoundWorker(std::stop_token) {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return shutdown || (sound && !sound->taken); });
            if (shutdown) {
                return;
            }
            JobPtr job = sound;
            job->taken = true;
            lock.unlock();
            Run(SoundChannel::Sound, job);
            lock.lock();
            job->done = true;
            if (sound == job) {
                sound.reset();
            }
            changed.notify_all();
        }
    }

    void SpeechWorker(std::stop_token) {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return shutdown || (!waiting.empty() && !SpeechHeldBack()); });
            if (shutdown) {
                return;
            }
            JobPtr job = waiting.front();
            waiting.pop_front();
            job->taken = true;
            speech = job;
            lock.unlock();
            Run(SoundChannel::Speech, job);
            lock.lock();
            job->done = true;
            speech.reset();
            changed.notify_all();
        }
    }

    bool StartSound(JobPtr job, bool wait) {
        std::unique_lock calls(sound_calls);
        std::unique_lock lock(mutex);
        if (shutdown) {
            return false;
        }
        EndSound(lock, SoundEnd::Replaced);
        lock.unlock();
        job->first_stream = Open(InfoFor(SoundChannel::Sound, *job, *job->clips.front()));
        if (!job->first_stream) {
            return false;
        }
        lock.lock();
        if (shutdown) {
            job->first_stream->Close(SoundEnd::Shutdown);
            return false;
        }
        sound = job;
        changed.notify_all();
        calls.unlock();
        if (wait) {
            changed.wait(lock, [&] { return job->done; });
        }
        return true;
    }
};

SoundPlayer::SoundPlayer(std::shared_ptr<SoundOutput> output, LogLine log)
    : state_(std::make_unique<State>()) {
    state_->output = std::move(output);
    state_->log = std::move(log);
    state_->sound_thread =
        std::jthread([s = state_.get()](std::stop_token t) { s->SoundWorker(t); });
    state_->speech_thread =
        std::jthread([s = state_.get()](std::stop_token t) { s->SpeechWorker(t); });
}

SoundPlayer::~SoundPlayer() {
    std::unique_lock lock(state_->mutex);
    state_->shutdown = true;
    auto end = [](const JobPtr& job) {
        if (job && !job->stop.stop_requested()) {
            job->stop_reason = SoundEnd::Shutdown;
            job->stop.request_stop();
        }
    };
    end(state_->sound);
    end(state_->speech);
    for (auto& job : state_->waiting) {
        if (job->first_stream) {
            job->first_stream->Close(SoundEnd::Shutdown);
        }
        job->done = true;
    }
    state_->waiting.clear();
    // A sound nobody took yet still holds its stream and may have a caller waiting for it.
    if (state_->sound && !state_->sound->taken) {
        state_->sound->first_stream->Close(SoundEnd::Shutdown);
        state_->sound->done = true;
        state_->sound.reset();
    }
    state_->changed.notify_all();
    lock.unlock();
    state_->sound_thread.join();
    state_->speech_thread.join();
}

bool SoundPlayer::PlayFile(const std::string& path, unsigned flags) {
    if (path.empty()) {
        Stop();
        return true;
    }
    SoundClipPtr clip = Load(path);
    return clip && PlayClip(std::move(clip), flags);
}

SoundClipPtr SoundPlayer::Load(const std::string& path) {
    std::string error;
    SoundClipPtr clip = DecodeSoundFile(path, error);
    if (!clip) {
        state_->Log("Geluid niet afgespeeld: " + path + ": " + error);
    }
    return clip;
}

bool SoundPlayer::PlayImage(std::span<const std::uint8_t> image, std::string label,
                            unsigned flags) {
    std::string error;
    SoundClipPtr clip = DecodeSoundImage(image, label, error);
    if (!clip) {
        state_->Log("Geluid niet afgespeeld: " + label + ": " + error);
        return false;
    }
    return PlayClip(std::move(clip), flags);
}

bool SoundPlayer::PlayClip(SoundClipPtr clip, unsigned flags) {
    if (!clip) {
        return false;
    }
    auto job = std::make_shared<Job>();
    job->clips.push_back(std::move(clip));
    job->flags = flags;
    return state_->StartSound(std::move(job), (flags & SND_ASYNC) == 0);
}

bool SoundPlayer::PlaySequence(std::vector<SoundClipPtr> clips) {
    std::erase(clips, nullptr);
    if (clips.empty()) {
        return false;
    }
    auto job = std::make_shared<Job>();
    job->clips = std::move(clips);
    job->flags = SND_ASYNC | SND_NODEFAULT;
    return state_->StartSound(std::move(job), false);
}

void SoundPlayer::Stop() {
    std::unique_lock calls(state_->sound_calls);
    std::unique_lock lock(state_->mutex);
    state_->EndSound(lock, SoundEnd::Stopped);
}

bool SoundPlayer::Speak(std::span<const std::uint8_t> wav, std::string voice, std::string text) {
    std::string error;
    SoundClipPtr clip = DecodeSoundImage(wav, voice + ": " + text, error);
    if (!clip) {
        state_->Log("Spraak niet afgespeeld: " + text + ": " + error);
        return false;
    }
    auto job = std::make_shared<Job>();
    job->clips.push_back(std::move(clip));
    job->flags = SND_ASYNC | SND_NODEFAULT | SND_MEMORY;
    job->voice = std::move(voice);
    job->text = std::move(text);

    std::unique_lock lock(state_->mutex);
    if (state_->shutdown) {
        return false;
    }
    const bool at_once = !state_->speech && state_->waiting.empty() && !state_->SpeechHeldBack();
    if (at_once) {
        lock.unlock();
        job->first_stream = state_->Open(InfoFor(SoundChannel::Speech, *job, *job->clips.front()));
        if (!job->first_stream) {
            return false;
        }
        lock.lock();
        if (state_->shutdown) {
            job->first_stream->Close(SoundEnd::Shutdown);
            return false;
        }
    }
    state_->waiting.push_back(std::move(job));
    state_->changed.notify_all();
    return true;
}

void SoundPlayer::StopSpeech() {
    std::unique_lock lock(state_->mutex);
    for (auto& job : state_->waiting) {
        if (job->first_stream) {
            job->first_stream->Close(SoundEnd::Stopped);
        }
        job->done = true;
    }
    state_->waiting.clear();
    if (JobPtr job = state_->speech) {
        if (!job->stop.stop_requested()) {
            job->stop_reason = SoundEnd::Stopped;
            job->stop.request_stop();
        }
        state_->changed.wait(lock, [&] { return job->done; });
    }
}

bool SoundPlayer::Playing(SoundChannel channel) const {
    std::lock_guard lock(state_->mutex);
    if (channel == SoundChannel::Sound) {
        return state_->sound != nullptr;
    }
    return state_->speech != nullptr || !state_->waiting.empty();
}

bool SoundPlayer::WaitIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, timeout, [&] {
        return !state_->sound && !state_->speech && state_->waiting.empty();
    });
}

}  // namespace os
