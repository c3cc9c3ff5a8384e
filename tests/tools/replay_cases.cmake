# The end-to-end cases of stats-replay; replay_e2e.cmake holds what each runs.
set(replay_cases adif-list adif-html-cabrillo cabrillo-input adif-problems bad-usage missing-log adif-missing-exchange cabrillo-missing-exchange adif-period cabrillo-check adif-control-bytes log-folder fifo-log fifo-settings blocked-outputs journal-disk-full journal-left-over adif-other-loggers)
