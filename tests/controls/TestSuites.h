//===- TestSuites.h - The suites of the controls' test program --*- C++ -*-===//
#pragma once

#include <QObject>

#include <memory>

std::unique_ptr<QObject> MakeSpeedBtnTest();
std::unique_ptr<QObject> MakeDlgsPlusTest();
