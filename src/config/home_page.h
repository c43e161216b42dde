// home_page.h -- the product's web site, as the configuration dialog's link
// label names it and opens it. Included by the resource script too, so plain
// macros only.
#pragma once

#define STOMPARA_HOME_PAGE_TEXT "Charts, songs and news: stompara.org"
#define STOMPARA_HOME_PAGE_URL "https://stompara.org/"
