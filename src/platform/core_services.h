#pragma once
// The three services the logic asks for itself: the time, the user and the
// debug log. The program's root makes them and hands them down; a test
// hands its doubles. Nothing keeps them to give out again.
class CDebugLog;
class IClock;
class IPrompt;

struct CoreServices {
  IClock& clock;
  IPrompt& prompt;
  CDebugLog& log;
};
