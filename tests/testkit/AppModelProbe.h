#pragma once

#include "app/AppModel.h"

// Puts the model into any state the window can show, for tests, the picture
// tool and the benchmark. (AppModel names this class its friend.)
class AppModelProbe {
public:
    explicit AppModelProbe(AppModel& model) : model_(model) {}

    void setPhase(const Phase& phase) { model_.setPhase(phase); }
    void setStepText(const QString& text) { model_.setStepText(text); }
    void setProgress(std::optional<double> progress) { model_.setProgress(progress); }
    void setDetailText(const QString& text) { model_.setDetailText(text); }
    void setInfo(std::optional<GameInfo> info) { model_.setInfo(std::move(info)); }
    void setFailure(std::optional<Failure> failure) { model_.setFailure(std::move(failure)); }
    void setHasSaves(bool hasSaves) { model_.setHasSaves(hasSaves); }
    void setUpdateAvailable(std::optional<bool> newer) { model_.setUpdateAvailable(newer); }

    bool stopRequested() const { return model_.stopRequested_; }

private:
    AppModel& model_;
};
