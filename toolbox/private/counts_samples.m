function yes = counts_samples(padding, options)
%COUNTS_SAMPLES Whether windows with this PADDING and these OPTIONS of PLORVENT (in normal form)
%   count their samples: windows that shrink at the ends, or leave NaN out. They are served by
%   the moving mode of plorvent_filter; the others by its fixed windows.
yes = strcmp(padding.mode, 'shrink') || strcmp(options.NaN, 'omitnan');
end
