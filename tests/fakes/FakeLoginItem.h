#pragma once

#include "LoginItem.h"

/// A login item whose status and failures the test sets.
class FakeLoginItem final : public LoginItem {
public:
    LoginItemStatus current = LoginItemStatus::notRegistered;
    std::optional<QString> failure;

    LoginItemStatus status() const override { return current; }
    std::optional<QString> registerItem() override
    {
        if (!failure)
            current = LoginItemStatus::enabled;
        return failure;
    }
    std::optional<QString> unregisterItem() override
    {
        if (!failure)
            current = LoginItemStatus::notRegistered;
        return failure;
    }
};
